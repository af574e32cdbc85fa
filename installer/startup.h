// formsetup's start-up: the host folder from PM000.INI, the database, the
// installation steps in their order.
#pragma once

#include <string>

namespace installer {

// Program start: finds the host folder, opens the host database and runs the
// installation. Ends the program itself when the host is missing or the
// database cannot be opened.
void startInstaller();

// The host folder from "Options"/"SysPath" of PM000.INI, trimmed, with a
// doubled final backslash made single. Empty when the host is not installed.
std::string readHostFolder();

// The installation proper, in its fixed order, on the open host database.
void runInstall();

}  // namespace installer
