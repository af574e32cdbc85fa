# What `cmake --install` (and `make install`) puts in place, and the Debian
# package made of it (`make package`): the three programs, the extension in a
# folder of the project's own, the man pages, the README and the licence,
# and zelhost's bash completion.
# Nothing else: no tests, no benchmarks, no static libraries.
install(TARGETS formsetup sendsummary zelhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zeljet LIBRARY DESTINATION ${ZEL_EXTENSION_DIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Each Debian package's documentation folder holds its copyright (DEP-5, the
# licence's text within) and its changelogs, compressed as Debian installs
# them: changelog.gz, the project's versions (CHANGELOG.md), and
# changelog.Debian.gz, the package's; a prefix install gets the same. On
# Windows the licence goes as it is.
if(NOT WIN32)
  set(ZEL_DEB_REVISION 1 CACHE STRING "The Debian revision of the packages' version")
  set(ZEL_PACKAGE_CONTACT "ZEL 0661 maintainers <maintainers@zel0661.org>" CACHE STRING
      "The packages' Maintainer field: the project's own address")
  set(ZEL_DEB_VERSION ${PROJECT_VERSION}-${ZEL_DEB_REVISION})
  set(deb_doc ${CMAKE_BINARY_DIR}/debian-doc)
  configure_file(cmake/debian/changelog.in ${deb_doc}/changelog.Debian @ONLY)
  configure_file(CHANGELOG.md ${deb_doc}/changelog COPYONLY)
  # The licence's text as DEP-5 wants it: each line indented by one blank,
  # an empty line written " .".
  file(READ LICENSE ZEL_LICENSE_TEXT)
  string(REGEX REPLACE "\n+$" "" ZEL_LICENSE_TEXT " ${ZEL_LICENSE_TEXT}")
  string(REPLACE "\n" "\n " ZEL_LICENSE_TEXT "${ZEL_LICENSE_TEXT}")
  string(REPLACE "\n \n" "\n .\n" ZEL_LICENSE_TEXT "${ZEL_LICENSE_TEXT}")
  string(REPLACE "\n \n" "\n .\n" ZEL_LICENSE_TEXT "${ZEL_LICENSE_TEXT}")
  configure_file(cmake/debian/copyright.in ${deb_doc}/copyright @ONLY)
  add_custom_command(OUTPUT ${deb_doc}/changelog.gz ${deb_doc}/changelog.Debian.gz
                     COMMAND gzip -9 -n -k -f changelog changelog.Debian
                     DEPENDS ${deb_doc}/changelog ${deb_doc}/changelog.Debian
                     WORKING_DIRECTORY ${deb_doc} VERBATIM)
  add_custom_target(debian_doc ALL DEPENDS ${deb_doc}/changelog.gz ${deb_doc}/changelog.Debian.gz)
  set(deb_doc_files ${deb_doc}/copyright ${deb_doc}/changelog.gz ${deb_doc}/changelog.Debian.gz)
  install(FILES ${deb_doc_files} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # lintian's overrides, each with its reason (cmake/debian/lintian-overrides.in).
  set(PACKAGE ${PROJECT_NAME})
  configure_file(cmake/debian/lintian-overrides.in ${deb_doc}/overrides/${PACKAGE} @ONLY)
  install(FILES ${deb_doc}/overrides/${PACKAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)
  if(TARGET zeldialog)
    install(FILES ${deb_doc_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME}-dialog
            COMPONENT dialog)
    set(PACKAGE ${PROJECT_NAME}-dialog)
    configure_file(cmake/debian/lintian-overrides.in ${deb_doc}/overrides/${PACKAGE} @ONLY)
    install(FILES ${deb_doc}/overrides/${PACKAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            COMPONENT dialog)
  endif()
else()
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
# Where bash-completion looks for a command's completion.
install(FILES tools/zelhost/zelhost.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zelhost)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "formsetup prepares the host database for form 0661; sendsummary writes\nthe send summary of one declaration; zelhost makes, fills and opens host\ninstallations.")
set(CPACK_PACKAGE_CONTACT ${ZEL_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZEL_DEB_REVISION})
set(CPACK_STRIP_FILES ON)
# Depends: read off the shared libraries the programs use (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_SUGGESTS sqlite3)
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
  # The helper is started by the programs and is of no use without them.
  set(CPACK_DEBIAN_DIALOG_PACKAGE_DEPENDS "${PROJECT_NAME} (= ${ZEL_DEB_VERSION})")
endif()
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION "${PROJECT_DESCRIPTION}\n${CPACK_PACKAGE_DESCRIPTION}")
# Each package's description above begins with its own summary line; the
# common summary must then stay out of them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY IGNORE)
include(CPack)
