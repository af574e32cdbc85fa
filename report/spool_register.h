// The SPOOL row of a new spool file.
#pragma once

#include <string>

namespace report {

// Numbers a new spool file of `code` and stores its SPOOL row; returns the
// file name (eight digits and ".PRN"), as stored. Run inside the workspace's
// transaction that also covers writing the file. Raises 515 when no file
// number is left, 517 when no sequence of `code` is.
std::string registerSpoolFile(const std::string& code, const std::string& docId);

}  // namespace report
