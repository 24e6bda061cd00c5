# tarsel_add_layer(NAME)
# Builds every .cpp/.h in the current folder into a static library NAME with the
# alias Tarsel::NAME. Headers are included by folder: #include "foundation/SLSysUtils.h".
function(tarsel_add_layer name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
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
