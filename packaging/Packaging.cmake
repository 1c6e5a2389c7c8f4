# Installing and packaging the tray application: the binary, its menu entry and icon, an autostart
# entry so it is back in the tray after the next login, and a Debian package built by CPack.
include(GNUInstallDirs)

install(TARGETS ovantic RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/ovantic.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# What software centres list: the description, a screenshot, and which menu entry it launches.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/io.github.ovantic.Ovantic.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/ovantic.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The tray icon's name on status notifier hosts, for those that recolour symbolic icons.
install(FILES ${PROJECT_SOURCE_DIR}/resources/ovantic-symbolic.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps)
# Session managers read system-wide autostart entries from $XDG_CONFIG_DIRS/autostart, that is
# /etc/xdg/autostart. The prefix is only known when installing (cpack and `cmake --install
# --prefix` choose it then), so the place is chosen then too: /etc for a /usr install and the
# .deb, the prefix's own etc/ for any other.
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ovantic)
set(CPACK_PACKAGE_VENDOR "Ovantic Team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Tray currency converter with lakh and crore as well as million and billion")
set(CPACK_PACKAGE_DESCRIPTION
  "Ovantic sits in the system tray. A click on its icon opens a small panel that converts an\n\
amount between ten currencies at live rates. Amounts may be typed with lakh, crore, thousand,\n\
million and billion, and every result is shown in each of these units, one click to copy.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stage with DESTDIR and the real /usr prefix, so the install-time choice above sees /usr.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ovantic Team")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# What no linker sees: the flag font, and the CA bundle Qt Network checks the rate service's
# certificate against (Qt's own package brings the TLS backend it loads at the first request).
# The libraries come from dpkg-shlibdeps where it exists, else from the list below.
set(ovantic_runtime_extras "fonts-noto-color-emoji, ca-certificates")
string(REGEX MATCH "^[0-9]+" ovantic_icu_major "${ICU_VERSION}")
find_program(OVANTIC_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(OVANTIC_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ovantic_runtime_extras}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6widgets6 (>= 6.2), libqt6svg6 (>= 6.2), \
libqt6network6 (>= 6.2), libqt6dbus6 (>= 6.2), libxcb1, libxcb-xinput0, libwayland-client0, \
libicu${ovantic_icu_major}, ${ovantic_runtime_extras}")
endif()
include(CPack)
