# The Debian package, made by CPack from the install rules (scripts/package). The package's
# dependencies come from the shared libraries the executables actually link (dpkg-shlibdeps).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vellumark)
set(_changelog ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${_changelog}
  COMMAND gzip -9 -n -c ${CMAKE_CURRENT_LIST_DIR}/debian/changelog > ${_changelog}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog
  COMMENT "Compressing the package's change log")
add_custom_target(vellumark_changelog ALL DEPENDS ${_changelog})
install(FILES ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vellumark)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellumark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "Vellumark <vellumark@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gvfs-daemons, hicolor-icon-theme, shared-mime-info")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "give folders their own icons by dropping files on them")
# CPack puts the summary first and indents every line of this itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Vellumark is a small window with two drop boxes. A file dropped on Set icon
has its icon drawn over the icon of the folder that holds it, and the result
becomes that folder's own icon, stored in the folder's extended attributes
and shown by the common file managers. A folder dropped on Clear icon gets
its usual icon back.

The command vellumark --refs FILE does the same for a file's folder without
any window, also where there is no display. The command vellumark-icons lists
the folders that have their own icons, shows them again in the file managers
after a copy, a move or a restore, and clears them.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
