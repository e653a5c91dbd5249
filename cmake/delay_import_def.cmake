# Writes a module-definition file of the functions an import library imports from its DLL:
#   cmake -DNM=<nm> -DIMPORT_LIBRARY=<libx.a> -DDLL=<x.dll> -DDEF=<out.def> -P delay_import_def.cmake
# A function has a thunk (T name) beside its import slot (I __imp_name); data has only the slot and
# cannot be delay-loaded, so it is left out.
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]* T [A-Za-z_][A-Za-z0-9_@]*" thunks "${symbols}")
set(names "")
foreach(line ${thunks})
  string(REGEX REPLACE ".* T " "" name "${line}")
  if(symbols MATCHES " I __imp_${name}\n")
    list(APPEND names ${name})
  endif()
endforeach()
list(REMOVE_DUPLICATES names)
list(LENGTH names count)
if(count EQUAL 0)
  message(FATAL_ERROR "no functions found in ${IMPORT_LIBRARY}")
endif()
list(JOIN names "\n" exports)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
