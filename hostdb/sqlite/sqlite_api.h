// The SQLite API for the sources built twice: into the library (plain
// sqlite3.h) and into the loadable extension, where every sqlite3_* call goes
// through the extension's API table (sqlite3ext.h).
#pragma once

#if defined(ZEL_SQLITE_EXTENSION)
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif
