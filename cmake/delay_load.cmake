# Import libraries that load their DLL at the first call into it, not before the program's first
# line. The DLLs the window needs only after it is shown (COM, the shell, accessibility) are linked
# through these, so start-up does not pay for loading them. Made from the toolchain's own import
# library, so every function of the DLL is there.

# Makes the target delayload::<name> for each DLL name given (ole32, shell32, ...).
function(mirafold_delay_load)
  foreach(dll ${ARGN})
    find_library(mirafold_import_${dll} NAMES ${dll} REQUIRED NO_CACHE)
    set(def ${CMAKE_BINARY_DIR}/delayload/${dll}.def)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
    add_custom_command(
      OUTPUT ${lib}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIBRARY=${mirafold_import_${dll}}
              -DDLL=${dll}.dll -DDEF=${def} -P ${CMAKE_SOURCE_DIR}/cmake/delay_import_def.cmake
      COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll}.dll --output-delaylib ${lib}
      DEPENDS ${mirafold_import_${dll}} ${CMAKE_SOURCE_DIR}/cmake/delay_import_def.cmake
      VERBATIM)
    add_custom_target(mirafold_delay_${dll} DEPENDS ${lib})
    add_library(delayload::${dll} STATIC IMPORTED GLOBAL)
    set_target_properties(delayload::${dll} PROPERTIES IMPORTED_LOCATION ${lib})
    add_dependencies(delayload::${dll} mirafold_delay_${dll})
  endforeach()
endfunction()
