# What `cmake --install` (and `make install`) puts in place, and the Debian
# package made of it (`make package`): the three programs, the extension in a
# folder of the project's own, the man pages, the README and the licence,
# and zelhost's bash completion.
# Nothing else: no tests, no benchmarks, no static libraries.
install(TARGETS formsetup sendsummary zelhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zeljet LIBRARY DESTINATION ${ZEL_EXTENSION_DIR})
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Where bash-completion looks for a command's completion.
install(FILES tools/zelhost/zelhost.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zelhost)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "formsetup prepares the host database for form 0661; sendsummary writes\nthe send summary of one declaration; zelhost makes, fills and opens host\ninstallations.")
set(CPACK_PACKAGE_CONTACT "ZEL 0661 maintainers <zel0661@localhost>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Depends: read off the shared libraries the programs use (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS sqlite3)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Two packages where the dialog helper is built: the programs (zel0661),
# which only recommend the helper, and the helper with its GTK dependency
# (zel0661-dialog). Without a desktop the programs need nothing of it.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME ${PROJECT_NAME})
if(TARGET zeldialog)
  list(APPEND CPACK_COMPONENTS_ALL dialog)
  set(CPACK_DEBIAN_DIALOG_PACKAGE_NAME ${PROJECT_NAME}-dialog)
  set(CPACK_DEBIAN_DIALOG_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_DIALOG_DESCRIPTION
      "Message boxes of the form 0661 programs as desktop dialogs\nzeldialog shows the boxes of formsetup and sendsummary as GTK dialog windows\nwhen a desktop is present.")
  set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_RECOMMENDS ${PROJECT_NAME}-dialog)
endif()
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION "${PROJECT_DESCRIPTION}\n${CPACK_PACKAGE_DESCRIPTION}")
# Each package's description above begins with its own summary line; the
# common summary must then stay out of them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY IGNORE)
include(CPack)
