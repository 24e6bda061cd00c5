# tarsel_stamp_version(TARGET)
# Adds the version record (an ELF note with the four parts of the project version) to an
# executable target; TSLSysfn::GetFileVersion reads it back from the file.
set(TARSEL_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(TARSEL_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(TARSEL_VERSION_RELEASE ${PROJECT_VERSION_PATCH})
set(TARSEL_VERSION_BUILD ${PROJECT_VERSION_TWEAK})
foreach(part TARSEL_VERSION_MAJOR TARSEL_VERSION_MINOR TARSEL_VERSION_RELEASE TARSEL_VERSION_BUILD)
  if("${${part}}" STREQUAL "")
    set(${part} 0)
  endif()
endforeach()
set(TARSEL_VERSION_NOTE_SOURCE ${PROJECT_BINARY_DIR}/generated/VersionNote.cpp)
configure_file(${CMAKE_CURRENT_LIST_DIR}/VersionNote.cpp.in ${TARSEL_VERSION_NOTE_SOURCE} @ONLY)

function(tarsel_stamp_version target)
  target_sources(${target} PRIVATE ${TARSEL_VERSION_NOTE_SOURCE})
endfunction()
