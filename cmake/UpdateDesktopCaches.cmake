# Run by `cmake --install` after the files are in place. Into a live system
# (no DESTDIR, not CPack's staging folder) the desktop's MIME cache and icon
# cache are brought up to date, when their tools are there, so that "Open
# with" offers Mova and menus show its icon without a new login. Packages and
# staged installs leave this to whoever installs them for real.
if(NOT "$ENV{DESTDIR}" STREQUAL "" OR CMAKE_INSTALL_PREFIX MATCHES "/_CPack_Packages/")
  return()
endif()
set(data ${CMAKE_INSTALL_PREFIX}/share)
find_program(update_desktop_database update-desktop-database)
if(update_desktop_database)
  execute_process(COMMAND ${update_desktop_database} -q ${data}/applications)
endif()
find_program(update_icon_cache gtk-update-icon-cache)
if(update_icon_cache AND EXISTS ${data}/icons/hicolor/index.theme)
  execute_process(COMMAND ${update_icon_cache} -q -t -f ${data}/icons/hicolor)
endif()
