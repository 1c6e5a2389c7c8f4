# Installing the tray application: the binary, its manual page, its menu entry and icons, and an
# autostart entry so it is back in the tray after the next login. The Debian package (debian/)
# is built from these same rules; `cmake --install` puts them under any other prefix.
include(GNUInstallDirs)

install(TARGETS ovantic RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/ovantic.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/ovantic.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# What software centres list: the description, a screenshot, and which menu entry it launches.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/io.github.ovantic.Ovantic.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The menu's icon is the full-colour coin; menus that draw small icons from PNGs rather than the
# SVG get one per size the hicolor theme lists, rendered from the same drawing at build time.
set(ovantic_app_icon ${PROJECT_SOURCE_DIR}/resources/ovantic-app.svg)
install(FILES ${ovantic_app_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ovantic.svg)
find_program(OVANTIC_RSVG_CONVERT rsvg-convert)
if(OVANTIC_RSVG_CONVERT)
  set(ovantic_icon_pngs "")
  foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/ovantic.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${OVANTIC_RSVG_CONVERT} --width ${size} --height ${size} --output ${png}
              ${ovantic_app_icon}
      DEPENDS ${ovantic_app_icon}
      VERBATIM)
    list(APPEND ovantic_icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(ovantic_icons ALL DEPENDS ${ovantic_icon_pngs})
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
endif()
# The tray icon's name on status notifier hosts, for those that recolour symbolic icons.
install(FILES ${PROJECT_SOURCE_DIR}/resources/ovantic-symbolic.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps)

# Session managers read system-wide autostart entries from $XDG_CONFIG_DIRS/autostart, that is
# /etc/xdg/autostart. The prefix is only known when installing (`cmake --install --prefix` and
# the Debian package's build choose it then), so the place is chosen then too: /etc for a /usr
# install, the prefix's own etc/ for any other.
set(ovantic_autostart_entry "${CMAKE_CURRENT_LIST_DIR}/ovantic-autostart.desktop")
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(ovantic_autostart_dir /etc/xdg/autostart)
  else()
    set(ovantic_autostart_dir \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart\")
  endif()
  file(INSTALL DESTINATION \"\${ovantic_autostart_dir}\" TYPE FILE
       RENAME ovantic.desktop FILES \"${ovantic_autostart_entry}\")
")
