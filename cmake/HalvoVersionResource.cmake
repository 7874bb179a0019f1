# A VERSIONINFO resource for a Windows program: the version from project(),
# the copyright line from LICENSE, so that neither is written down twice.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE halvo_copyright REGEX "^Copyright " LIMIT_COUNT 1)
if(NOT halvo_copyright)
  message(FATAL_ERROR "LICENSE has no 'Copyright ...' line")
endif()

# Adds the resource to target, whose file is <target>.exe; description is
# what Windows shows as the file's description (Task Manager's name for it).
function(halvo_version_resource target description)
  set(halvo_file_description "${description}")
  set(halvo_internal_name "${target}")
  set(halvo_original_filename "${target}${CMAKE_EXECUTABLE_SUFFIX}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
