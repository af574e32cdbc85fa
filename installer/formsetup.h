// formsetup: prepares the host database for form 0661. One module of
// procedures; its state lives in installer/module_state.h.
#pragma once

#include <cstdint>
#include <string>

#include "platform/errors.h"

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

// Logs on with the build's workgroup account and opens the host database of
// `folder` ("DBName" of PM000.INI), shared and writable, into the host
// session. On failure shows its "Error de Conección" box and ends the program.
void openHostDatabase(const std::string& folder);

// Runs one statement on the host database with options 16 and returns how
// many rows it wrote (0 when it failed). Reports a failure in a message box
// (none for an existing primary key) and returns, except for a lasting fault
// (see endOnLastingFault).
std::int64_t executeSql(const std::string& statement);

// A database locked by another process (3051) or a full disk (3026) would
// fail every statement that follows: shows the one box for it (the locked
// database's connection box, or the statement error box) and ends the run.
// Returns for any other error.
void endOnLastingFault(const platform::Error& e);

// True when a table of the database, its name upper-cased, is exactly `name`.
bool tableExists(const std::string& name);

// The installation steps.
void dropTemporaryTables();
void createFormTables();
void adjustTextFields(std::string tableName);
void loadSeedData();

// PARAM rows: a look-up by (Numero, Argumento), then an update or an insert.
bool findParam(const std::string& numero, const std::string& argumento);
void upsertParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam);
void updateParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam);

// The seed phases of loadSeedData: the form's PARAM rows in their fixed order,
// then the two report registrations and the send configuration.
void writeParamRows();
void registerReports();
void loadSendConfiguration();

// True when envio_t holds a row of form 0661 for `tablaO`.
bool findSendConfig(const std::string& tablaO);

}  // namespace installer
