# Run at install time (cmake --install, and CPack's staging install): writes the desktop entry
# with the absolute path of the installed program and icon, which are only known once the
# install prefix is. Expects KAVRI_DESKTOP_TEMPLATE, KAVRI_BINDIR, KAVRI_DATADIR and
# KAVRI_STAGING_FILE to be set by the install rule that includes it.
set(KAVRI_DESKTOP_EXEC "${CMAKE_INSTALL_PREFIX}/${KAVRI_BINDIR}/kavri")
set(KAVRI_DESKTOP_ICON "${CMAKE_INSTALL_PREFIX}/${KAVRI_DATADIR}/icons/hicolor/256x256/apps/kavri.png")
configure_file("${KAVRI_DESKTOP_TEMPLATE}" "${KAVRI_STAGING_FILE}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${KAVRI_DATADIR}/applications"
     TYPE FILE PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     FILES "${KAVRI_STAGING_FILE}")
