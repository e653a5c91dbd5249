# A program's load configuration that asks for the libraries mapped before its first line from the
# system folder only (DependentLoadFlags). MSVC's linker sets the flag; with mingw-w64 it is our
# own _load_config_used (src/base/win32/load_config.cpp), pulled in by name and pointed at after
# the link, since GNU ld before 2.41 leaves the directory empty.
if(MINGW)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
endif()

function(mirafold_system_libraries_only program)
  if(MSVC)
    target_link_options(${program} PRIVATE /DEPENDENTLOADFLAG:0x800)
  else()
    target_link_options(${program} PRIVATE -Wl,--undefined=_load_config_used)
    add_custom_command(TARGET ${program} POST_BUILD
                       COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/set_load_config.py
                               $<TARGET_FILE:${program}>
                       VERBATIM)
  endif()
endfunction()
