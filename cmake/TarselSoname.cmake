# tarsel_library_soname(OUT NAME LINK_LIBRARIES)
# Sets OUT to the SONAME of libNAME, the name a library opened at run time is asked for
# by (libfoo.so.4 rather than the development link libfoo.so, which only -dev packages
# install). LINK_LIBRARIES is pkg-config's list of full paths, as in
# <PREFIX>_LINK_LIBRARIES; without objdump or a SONAME, the file the link points to gives
# the name's major version.
function(tarsel_library_soname out name link_libraries)
  set(soname "lib${name}.so")
  foreach(library IN LISTS link_libraries)
    get_filename_component(file_name "${library}" NAME)
    if(NOT file_name STREQUAL "lib${name}.so")
      continue()
    endif()
    if(CMAKE_OBJDUMP)
      execute_process(COMMAND "${CMAKE_OBJDUMP}" -p "${library}"
                      OUTPUT_VARIABLE headers ERROR_QUIET)
      if(headers MATCHES "SONAME[ \t]+([^ \t\r\n]+)")
        set(soname "${CMAKE_MATCH_1}")
        break()
      endif()
    endif()
    file(REAL_PATH "${library}" real_file)
    get_filename_component(real_name "${real_file}" NAME)
    if(real_name MATCHES "^(lib${name}\\.so\\.[0-9]+)")
      set(soname "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out} "${soname}" PARENT_SCOPE)
endfunction()
