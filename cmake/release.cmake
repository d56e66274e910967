# What makes a Windows build a release: one version for every file, a version resource in each
# shipped file, the manifest stamped with that version, and output that depends on nothing but
# the sources (no time stamps, no build paths), so that two builds of one commit are identical.

# The version comes from project() in the top CMakeLists.txt. ZELVORA_VERSION replaces it only
# for building a deliberately older or newer copy (the upgrade check of the test command).
set(ZELVORA_VERSION "" CACHE STRING "Replaces the project version (only for upgrade checks)")
if(ZELVORA_VERSION)
  set(zelvora_version ${ZELVORA_VERSION})
else()
  set(zelvora_version ${PROJECT_VERSION})
endif()
if(NOT zelvora_version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "version '${zelvora_version}' is not MAJOR.MINOR.PATCH")
endif()
set(ZELVORA_VERSION_MAJOR ${CMAKE_MATCH_1})
set(ZELVORA_VERSION_MINOR ${CMAKE_MATCH_2})
set(ZELVORA_VERSION_PATCH ${CMAKE_MATCH_3})
set(ZELVORA_VERSION_STRING ${zelvora_version})
set(ZELVORA_PRODUCT_NAME "Zelvora - Test")
set(ZELVORA_PUBLISHER "Zelvora")
# scripts/package reads these rather than parsing CMake files.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/release.env CONTENT
"ZELVORA_VERSION=${ZELVORA_VERSION_STRING}
ZELVORA_PRODUCT_NAME='${ZELVORA_PRODUCT_NAME}'
ZELVORA_PUBLISHER='${ZELVORA_PUBLISHER}'
")

if(NOT WIN32)
  return()
endif()

# Build paths stay out of the binaries (__FILE__, assertion texts); the last matching map wins,
# so the build folder, which lies inside the source folder, is named by the second.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=zelvora/ -ffile-prefix-map=${CMAKE_BINARY_DIR}/=zelvora-build/)
# ld writes the link time into the PE header unless told not to.
add_link_options(-Wl,--no-insert-timestamp)

# The manifest in resources/ is the one to edit; its assembly version is replaced by the build's.
set(zelvora_manifest_source ${CMAKE_SOURCE_DIR}/resources/zelvora.manifest)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zelvora_manifest_source})
file(READ ${zelvora_manifest_source} zelvora_manifest)
string(REGEX REPLACE "(name=\"Zelvora\\.Test\" version=)\"[0-9.]*\""
       "\\1\"${ZELVORA_VERSION_STRING}.0\"" zelvora_manifest "${zelvora_manifest}")
set(ZELVORA_MANIFEST ${CMAKE_BINARY_DIR}/resources/zelvora.manifest)
file(CONFIGURE OUTPUT ${ZELVORA_MANIFEST} CONTENT "${zelvora_manifest}")

# zelvora_shipped(TARGET FILE_NAME DESCRIPTION [MANIFEST])
# A file that goes to users: its version resource (and, with MANIFEST, the application
# manifest), and no symbol table.
function(zelvora_shipped target file_name description)
  set(ZELVORA_FILE_NAME ${file_name})
  set(ZELVORA_FILE_DESCRIPTION ${description})
  if(file_name MATCHES "\\.dll$")
    set(ZELVORA_FILE_TYPE VFT_DLL)
  else()
    set(ZELVORA_FILE_TYPE VFT_APP)
  endif()
  if("MANIFEST" IN_LIST ARGN)
    set(ZELVORA_MANIFEST_LINE "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${ZELVORA_MANIFEST}\"")
  else()
    set(ZELVORA_MANIFEST_LINE "")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ZELVORA_MANIFEST})
  target_link_options(${target} PRIVATE -s)
endfunction()
