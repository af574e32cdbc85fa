// formsetup's way to the host database: opening it, running statements,
// asking for tables, and the faults that end the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/errors.h"

namespace installer {

// Logs on with the build's workgroup account and opens the host database of
// `folder` ("DBName" of PM000.INI), shared and writable, into the host
// session. On failure shows its "Error de Conección" box and ends the program.
void openHostDatabase(const std::string& folder);

// Runs one statement on the host database with options 16 and returns how
// many rows it wrote (0 when it failed). Reports a failure in a message box
// (none for an existing primary key) and returns, except for a lasting fault
// (see endOnLastingFault).
std::int64_t executeSql(const std::string& statement);

// The same for a statement whose outcome only decides what comes next:
// held and sent with the statements after it (hostdb::HostSession::
// executeLater), before the database's next use or any box. `stored` gets
// the rows it wrote (0 when it failed), after its failure's box.
void executeSqlLater(const std::string& statement,
                     std::function<void(std::int64_t)> stored = nullptr);

// Runs the statements executeSqlLater holds, now: before reading what their
// `stored` calls keep.
void settleStatements();

// A database locked by another process (kCannotOpenFile), a full disk
// (kNotEnoughDiskSpace), a lost connection to the host's file server
// (kNetworkOrDiskError) or a host another run keeps in use (kHostInUse) would
// fail every statement that follows: shows the one box for it (the locked
// database's connection box, or the statement error box) and ends the run.
// Returns for any other error.
void endOnLastingFault(const platform::Error& e);

// True when a table of the database, its name upper-cased, is exactly `name`.
bool tableExists(const std::string& name);

}  // namespace installer
