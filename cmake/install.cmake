# What `cmake --install` puts where. The show finds its media at
# ../share/pixelfolk beside its executable, so the executables go to bin/ and
# the media to share/pixelfolk/ whatever the GNU directory settings say.
include(GNUInstallDirs)

# One reverse-DNS id names the desktop entry, the icons and the metadata.
set(PIXELFOLK_APP_ID org.pixelfolk.EnjoyDance)
set(PIXELFOLK_HOMEPAGE "https://pixelfolk.org" CACHE STRING "The project's web page; AppStream screenshots live under it")
set(PIXELFOLK_MAINTAINER "Pixelfolk developers <developers@pixelfolk.org>" CACHE STRING "Package maintainer")
# The date of this version, for the manual page, the metadata and the changelog.
set(PIXELFOLK_RELEASE_DATE 2026-12-07)
set(PIXELFOLK_CHANGELOG_DATE "Mon, 07 Dec 2026 12:00:00 +0000")

set(pixelfolk_packaging ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${pixelfolk_packaging}/games)
configure_file(packaging/desktop.in ${pixelfolk_packaging}/${PIXELFOLK_APP_ID}.desktop @ONLY)
configure_file(packaging/metainfo.xml.in ${pixelfolk_packaging}/${PIXELFOLK_APP_ID}.metainfo.xml @ONLY)
configure_file(packaging/pixelfolk.6.in ${pixelfolk_packaging}/pixelfolk.6 @ONLY)
configure_file(packaging/changelog.in ${pixelfolk_packaging}/changelog @ONLY)
configure_file(packaging/copyright.in ${pixelfolk_packaging}/copyright @ONLY)

# Manual pages and the changelog go compressed, as Debian expects; -n leaves
# name and time out of the header, so the bytes depend on the text alone.
set(pixelfolk_gzipped)
foreach(pair
    "${pixelfolk_packaging}/pixelfolk.6 pixelfolk.6.gz"
    "${PROJECT_SOURCE_DIR}/packaging/pixelfolk-capture.6 pixelfolk-capture.6.gz"
    "${pixelfolk_packaging}/changelog changelog.gz")
  separate_arguments(pair)
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(
    OUTPUT ${pixelfolk_packaging}/${name}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${pixelfolk_packaging}/${name}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND pixelfolk_gzipped ${pixelfolk_packaging}/${name})
endforeach()
add_custom_target(install_pages ALL DEPENDS ${pixelfolk_gzipped})

install(TARGETS pixelfolk pixelfolk-capture RUNTIME DESTINATION bin)
# Debian keeps games in /usr/games and looks for them there; the link
# resolves to bin/, beside which the media are found.
file(CREATE_LINK ../bin/pixelfolk ${pixelfolk_packaging}/games/pixelfolk SYMBOLIC)
install(FILES ${pixelfolk_packaging}/games/pixelfolk DESTINATION games)

install(FILES ${PIXELFOLK_SHOW_DIR}/resinfo.rli ${PIXELFOLK_SHOW_DIR}/demo.xm DESTINATION share/pixelfolk)
install(DIRECTORY ${PIXELFOLK_SHOW_DIR}/data DESTINATION share/pixelfolk)

install(FILES ${pixelfolk_packaging}/${PIXELFOLK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pixelfolk_packaging}/${PIXELFOLK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 128 256)
  install(FILES ${PIXELFOLK_ICON_DIR}/icon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${PIXELFOLK_APP_ID}.png)
endforeach()
install(FILES ${pixelfolk_packaging}/pixelfolk.6.gz ${pixelfolk_packaging}/pixelfolk-capture.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${pixelfolk_packaging}/copyright ${pixelfolk_packaging}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pixelfolk)
