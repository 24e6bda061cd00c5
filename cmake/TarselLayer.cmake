# tarsel_add_layer(NAME)
# Builds every .cpp/.h in the current folder and its subfolders into a static library NAME
# with the alias Tarsel::NAME. Headers are included by their path from the project's root:
# #include "foundation/SLSysUtils.h", #include "platform/desktop/Pointer.h".
function(tarsel_add_layer name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(pattern IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  add_library(${name} STATIC ${sources})
  add_library(Tarsel::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  tarsel_fuzz_instrument(${name})
endfunction()
