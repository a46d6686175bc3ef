# What `cmake --install` puts where, and what the build makes for it.
#
# Linux: bin/mova, the desktop entry, the icon in the hicolor theme (rendered
# from the SVG at the sizes desktops ask for, plus the SVG itself), the
# AppStream metainfo file and the manual page; DESTDIR works as usual.
# Windows: mova.exe and README.txt side by side, the layout of the zip.
set(MOVA_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
set(MOVA_DESKTOP_DIR ${CMAKE_BINARY_DIR}/desktop)

if(WIN32)
  # The text beside mova.exe: what it is, the profile folder and the key map,
  # with the line ends Windows' own editors and the key map expect.
  configure_file(${MOVA_RESOURCES}/mova-windows.txt.in ${MOVA_DESKTOP_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS mova RUNTIME DESTINATION .)
  install(FILES ${MOVA_DESKTOP_DIR}/README.txt DESTINATION .)
  return()
endif()

include(GNUInstallDirs)
# AppStream wants a reverse-DNS id. The project has no domain of its own yet,
# so it is under the one reserved for examples until it has.
set(MOVA_APP_ID org.example.mova)

find_program(MOVA_RSVG_CONVERT rsvg-convert REQUIRED)  # librsvg2-bin
find_program(MOVA_GZIP gzip REQUIRED)

set(icon_svg ${MOVA_RESOURCES}/mova-icon.svg)
set(icon_pngs)
foreach(size 16 32 48 64 128 256)
  set(png ${MOVA_DESKTOP_DIR}/icons/${size}x${size}/mova.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MOVA_DESKTOP_DIR}/icons/${size}x${size}
    COMMAND ${MOVA_RSVG_CONVERT} --width ${size} --height ${size} --format png --output ${png} ${icon_svg}
    DEPENDS ${icon_svg}
    COMMENT "Rendering the ${size}x${size} icon")
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME mova.svg)

configure_file(${PROJECT_SOURCE_DIR}/docs/mova.1.in ${MOVA_DESKTOP_DIR}/mova.1 @ONLY)
# Compressed as distributions ship manual pages; -n keeps the name and time
# out of it, so the same page always gives the same file.
add_custom_command(OUTPUT ${MOVA_DESKTOP_DIR}/mova.1.gz
  COMMAND ${MOVA_GZIP} -9 -n -f -k ${MOVA_DESKTOP_DIR}/mova.1
  DEPENDS ${MOVA_DESKTOP_DIR}/mova.1
  COMMENT "Compressing the manual page")

configure_file(${MOVA_RESOURCES}/mova.metainfo.xml.in ${MOVA_DESKTOP_DIR}/${MOVA_APP_ID}.metainfo.xml @ONLY)
add_custom_target(desktop_files ALL DEPENDS ${icon_pngs} ${MOVA_DESKTOP_DIR}/mova.1.gz)

install(TARGETS mova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${MOVA_RESOURCES}/mova.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MOVA_DESKTOP_DIR}/${MOVA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${MOVA_DESKTOP_DIR}/mova.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Installed into a live system (no DESTDIR), the desktop's caches learn of
# the new entry and icon at once; a package leaves that to its triggers.
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/UpdateDesktopCaches.cmake)
