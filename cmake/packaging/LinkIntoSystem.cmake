# Run by CPack after the staging install, before the package is made. The package installs the
# program under its own folder (/opt/kavri); these links put it on the PATH and in the menu.
# Each link is made inside the staging root and names its target by its installed path.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(prefix "${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${root}${prefix}")
    message(FATAL_ERROR "kavri packaging: no staged install under ${root}${prefix}")
endif()

function(kavri_link target link)
    get_filename_component(dir "${root}${link}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(CREATE_LINK "${target}" "${root}${link}" SYMBOLIC)
endfunction()

kavri_link("${prefix}/bin/kavri" "/usr/bin/kavri")
kavri_link("${prefix}/bin/kavri-cli" "/usr/bin/kavri-cli")
kavri_link("${prefix}/share/applications/kavri.desktop" "/usr/share/applications/kavri.desktop")
foreach(size 48 128 256)
    kavri_link("${prefix}/share/icons/hicolor/${size}x${size}/apps/kavri.png"
               "/usr/share/icons/hicolor/${size}x${size}/apps/kavri.png")
endforeach()
