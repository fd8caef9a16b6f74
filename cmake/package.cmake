# `make package`: a Debian package of what `cmake --install` puts in place,
# for /usr, its run-time dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixelfolk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pixelfolk developers")
set(CPACK_PACKAGE_CONTACT "${PIXELFOLK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running demo of pixel folk dancing to a tracker tune")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PIXELFOLK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PIXELFOLK_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL shows message boxes on Wayland through zenity; without it they are only
# lines on standard error.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS zenity)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# CPack puts the summary above on the first line; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pixelfolk enjoy dance! is a 96-second audiovisual demo: pictures, masked
sprites, a scrolling background, animations and typed-out text at 640x480,
drawn in software and timed to its own tracker module, whose notes drive
every scene change. It starts, plays and ends by itself, full screen or in
a window of any size, with sound or silently.
.
The package also holds pixelfolk-capture, which renders the show
frame-exactly into PNG frames, a WAV soundtrack or an MP4 video.")

include(CPack)
