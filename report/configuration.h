// Where a run works: the host named by PM000.INI, and its database opened.
#pragma once

namespace report {

// "DBPath", "DBName" and "SysUser" of PM000.INI, and the folders made from them.
void readConfiguration();

// Writes "SystemDB", logs on and opens the host database through the first
// workspace. On failure shows its own box and ends the program.
void openReportDatabase();

}  // namespace report
