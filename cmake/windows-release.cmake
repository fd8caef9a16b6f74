# The Windows release: pixelfolk-<version>-windows-x64.zip beside the
# executable, holding it, the media of the native build named by
# PIXELFOLK_MEDIA_DIR and a short README.txt, all in one folder.
if(NOT PIXELFOLK_MEDIA_DIR)
  message(STATUS "No PIXELFOLK_MEDIA_DIR: the Windows zip is not made")
  return()
endif()

set(pixelfolk_release_version ${PROJECT_VERSION})
if(NOT pixelfolk_release_version)
  execute_process(COMMAND git describe --tags --always WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE pixelfolk_release_version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT pixelfolk_release_version)
  set(pixelfolk_release_version 0)
endif()
set(pixelfolk_release pixelfolk-${pixelfolk_release_version}-windows-x64)
set(pixelfolk_release_dir ${CMAKE_BINARY_DIR}/${pixelfolk_release})
set(pixelfolk_release_zip ${CMAKE_BINARY_DIR}/${pixelfolk_release}.zip)
set(PIXELFOLK_RELEASE_ZIP ${pixelfolk_release_zip} CACHE INTERNAL "The Windows release")

# The readme gets Windows line ends, so that Notepad shows its lines.
file(READ ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt pixelfolk_readme)
string(REPLACE "\n" "\r\n" pixelfolk_readme "${pixelfolk_readme}")
file(WRITE ${CMAKE_BINARY_DIR}/README.txt "${pixelfolk_readme}")

add_custom_command(
  OUTPUT ${pixelfolk_release_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pixelfolk_release_dir} ${pixelfolk_release_zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pixelfolk_release_dir}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:pixelfolk> ${CMAKE_BINARY_DIR}/README.txt
          ${PIXELFOLK_MEDIA_DIR}/resinfo.rli ${PIXELFOLK_MEDIA_DIR}/demo.xm ${pixelfolk_release_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PIXELFOLK_MEDIA_DIR}/data ${pixelfolk_release_dir}/data
  COMMAND ${CMAKE_COMMAND} -E tar cf ${pixelfolk_release_zip}.partial --format=zip ${pixelfolk_release}
  COMMAND ${CMAKE_COMMAND} -E rename ${pixelfolk_release_zip}.partial ${pixelfolk_release_zip}
  DEPENDS pixelfolk ${CMAKE_BINARY_DIR}/README.txt ${PIXELFOLK_MEDIA_DIR}/resinfo.rli ${PIXELFOLK_MEDIA_DIR}/demo.xm
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing ${pixelfolk_release}.zip"
  VERBATIM)
add_custom_target(windows_release ALL DEPENDS ${pixelfolk_release_zip})
