# Packages made by CPack from what `cmake --install` installs:
#   Linux:   cpack -G DEB   in build/      -> mova_<version>_<arch>.deb
#   Windows: cpack -G ZIP   in build-win/  -> mova-<version>-win32.zip (i686)
#                           in build-win64/ -> mova-<version>-win64.zip (x86_64)
set(CPACK_PACKAGE_NAME mova)
set(CPACK_PACKAGE_VENDOR "Mova")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast, single-window media player")
set(MOVA_PACKAGE_CONTACT "Mova maintainers <maintainers@users.noreply.c-seed-ab18a800.example>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${MOVA_PACKAGE_CONTACT}")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MOVA_WINDOWS_ZIP_NAME mova-${PROJECT_VERSION}-win64)
  else()
    set(MOVA_WINDOWS_ZIP_NAME mova-${PROJECT_VERSION}-win32)
  endif()
  set(CPACK_PACKAGE_FILE_NAME ${MOVA_WINDOWS_ZIP_NAME})
  # One folder in the zip, named like the zip, holding mova.exe and README.txt.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION video)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_PACKAGE_DESCRIPTION
    "Mova opens one video or audio file and shows the picture above a thin status
bar with the playing state, the media format, the position and the length.
Every command (play, pause, stop, seek, repeat, mute, zoom from 50 to 400
percent, four aspect modes, full screen, stay on top, frame capture) has a key
of your choosing, read from a plain key map file.")
  # The libraries the binary links are found by dpkg-shlibdeps (dpkg-dev);
  # what it loads only at run time, GStreamer's elements, is named here: the
  # decoder bin, converters and sinks (base), the demuxers and deinterlacer
  # (good), the MPEG program stream demuxer and parsers (bad), further
  # decoders (ugly, libav) and the text overlay for subtitles (x).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-x")
  # A native Wayland window in Wayland sessions, and sound through ALSA where
  # no sound server runs (the server's own sink comes with -good).
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, gstreamer1.0-alsa")
endif()

include(CPack)
