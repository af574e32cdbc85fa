// sendsummary's module state, in one place: a reader finds it at once and a
// test can start from a clean state with resetModuleState(). The engine and
// the database open for the whole run are the host session's
// (hostdb/host_session.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hostdb/host_session.h"
#include "platform/files.h"
#include "report/request.h"

namespace report {

struct ModuleState {
  // From PM000.INI (readConfiguration).
  std::string databaseFolder;
  std::string databaseFile;
  std::string systemUser;
  std::string reportFolder;
  std::string tempFolder;

  // From the command-line record (parseReportRequest).
  ReportRequest request;

  // The two summary files and the spool page's position. The text summary
  // waits in textTemp, a staged file drawn for the name textTempPath.
  std::string textTempPath;
  std::unique_ptr<platform::StagedFile> textTemp;
  std::string spoolPath;
  std::int16_t yPosition = 0;

  // Their copies under the output name: written before the spool row is
  // committed, put in place after it.
  std::unique_ptr<platform::StagedFile> spoolCopy;
  std::unique_ptr<platform::StagedFile> textCopy;
};

ModuleState& moduleState();

// The open host database; raises 91 when none is open.
using hostdb::hostDatabase;

// Closes whatever is open and clears every value.
void resetModuleState();

}  // namespace report
