# What `cmake --install` (and `make install`) puts in place, and the Debian
# package made of it (`make package`): the three programs, the extension in a
# folder of the project's own, the man pages, the README and the licence.
# Nothing else: no tests, no benchmarks, no static libraries.
install(TARGETS formsetup sendsummary zelhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zeljet LIBRARY DESTINATION ${ZEL_EXTENSION_DIR})
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
# The programs' own files only: the dialog helper (component dialog) would make
# the package depend on GTK, which it may only recommend.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
