# The Linux package (.deb through CPack): the wizard with a desktop entry and
# its icon, and the command line.
include(GNUInstallDirs)
install(TARGETS quillmere-wizard quillmere-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quillmere-wizard.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quillmere-wizard.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)

set(CPACK_PACKAGE_NAME quillmere-export-wizard)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Exports Sage 50 Accounts ledgers to the VureDevu online accounting service")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmere <support@quillmere.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link (Qt, unixODBC, libzip, curl, libxml2)
# become the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
