# Install rules and the Debian package.
#
# cmake --install <build> --prefix <folder> gives the portable layout the program is made for:
#   <folder>/bin/kavri, kavri-cli and the delivered library file bdsj_conn.dll beside them,
#   <folder>/share/applications/kavri.desktop, <folder>/share/icons/hicolor/<n>x<n>/apps/kavri.png
# (kavri-cli and bdsj_conn.dll are installed by their own directories' rules.)
#
# cpack -G DEB (in the build folder) makes kavri_<version>_<arch>.deb with that layout under
# /opt/kavri, plus links /usr/bin/kavri, /usr/bin/kavri-cli and the menu entry and icons under
# /usr/share. Installed there the program's folder is read-only; the program then works on a
# per-user copy of the library file (see src/app/LibraryLocation.h).
include(GNUInstallDirs)

if(TARGET kavri)
    install(TARGETS kavri RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(kavri_icons ${PROJECT_SOURCE_DIR}/src/resources/icons)
foreach(size 48 128 256)
    install(FILES ${kavri_icons}/kavri-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME kavri.png)
endforeach()

# The information panel of the main window opens this file: <prefix>/share/doc/kavri/README.md,
# that is ../share/doc/kavri/README.md from the executable's folder.
if(EXISTS ${PROJECT_SOURCE_DIR}/README.md)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

install(CODE "
    set(KAVRI_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/packaging/kavri.desktop.in\")
    set(KAVRI_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(KAVRI_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(KAVRI_STAGING_FILE \"${CMAKE_BINARY_DIR}/packaging/kavri.desktop\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/packaging/InstallDesktopEntry.cmake\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavri)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "kavri")
set(CPACK_PACKAGE_CONTACT "kavri <kavri@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "离职证明 kavri: writes certificates of resignation")
set(CPACK_PACKAGE_DESCRIPTION
    "Pick a certificate template, fill in a short form and kavri writes the certificate of\n"
    "resignation (离职证明), ready to copy or print. Templates, companies, departments,\n"
    "positions and reasons live in libraries the user can extend.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/kavri)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# What the program loads without linking it: the platform plugins (in libqt6gui6), libpq (loaded
# when a server is first used), the fonts that stand in for 宋体 and for the sans-serif CJK face,
# and Qt's own Chinese texts. The linked libraries come from dpkg-shlibdeps, with versions;
# without it they are named here.
set(kavri_runtime_depends
    "libqt6gui6, libpq5, fonts-arphic-uming, fonts-noto-cjk, qt6-translations-l10n")
find_program(KAVRI_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KAVRI_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${kavri_runtime_depends}")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libc6, libstdc++6, libqt6core6, libqt6widgets6, libqt6printsupport6, libsqlcipher0, libquazip1-qt6-1, libharfbuzz-subset0, libharfbuzz0b, libssl3, libqrencode4, libzxing2, libqt6pdf6, ${kavri_runtime_depends}")
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging/LinkIntoSystem.cmake)
include(CPack)
