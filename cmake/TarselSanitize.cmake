# Sanitized builds and fuzz targets, both for clang (scripts/test-sanitized.sh sets them up).
#
# TARSEL_SANITIZE: everything (layers, tests, program) is built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Undefined behaviour is an error, never just a warning.
# TARSEL_FUZZ: additionally builds the libFuzzer targets in fuzz/. The layer libraries then
# carry libFuzzer's coverage instrumentation as well; the tests and the program linking them
# without libFuzzer still run (the sanitizer runtime answers the coverage hooks).
option(TARSEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TARSEL_FUZZ "Build the libFuzzer targets in fuzz/ (clang, implies TARSEL_SANITIZE)" OFF)

if(TARSEL_FUZZ)
  set(TARSEL_SANITIZE ON)
endif()

if((TARSEL_SANITIZE OR TARSEL_FUZZ) AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TARSEL_SANITIZE and TARSEL_FUZZ need clang (CMAKE_CXX_COMPILER=clang++-14)")
endif()

if(TARSEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Coverage for the fuzzers, given to the code under test (the layer libraries).
function(tarsel_fuzz_instrument target)
  if(TARSEL_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()
