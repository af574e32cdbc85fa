# Where the dialog helper lives, in the build tree and installed: a libexec
# folder of the project's own. The platform layer finds it from the running
# program's folder (bin/) by the relative path below, so that one rule holds
# in build/ and under any install prefix.
include(GNUInstallDirs)
set(ZEL_DIALOG_HELPER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/${PROJECT_NAME})
file(RELATIVE_PATH ZEL_DIALOG_HELPER_FROM_BIN
     /${CMAKE_INSTALL_BINDIR} /${ZEL_DIALOG_HELPER_DIR}/zeldialog)
