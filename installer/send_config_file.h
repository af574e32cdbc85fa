// The send configuration file (tmp\env661.txt): lines of 13 fields, each
// followed by "|". Read and checked whole before anything is changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace installer {

// The values of one line, ready for envio_t.
struct SendConfigLine {
  std::string tablaO;    // field 2, trimmed
  std::string tablaD;    // field 3, or one blank when it is empty
  std::string tablaExt;  // field 4, trimmed
  std::array<std::uint8_t, 3> bytes{};  // fields 5-7: indice, obliga, c_tip_doc_d
  std::array<double, 6> numbers{};      // fields 8-13: c_doc_id_d .. c_semana
};

struct SendConfigFile {
  std::vector<SendConfigLine> lines;  // up to the first blank line
  std::string problem;                // empty when the whole file is good
};

// Reads the file at `path` (a Windows path). A missing or unreadable file or
// a malformed line gives no lines and a message that names the file and, for
// a line, its number and what is wrong with it.
SendConfigFile readSendConfigFile(const std::string& path);

// Splits one line; exposed for tests. On failure returns false and says why.
bool parseSendConfigLine(const std::string& line, SendConfigLine& out, std::string& why);

}  // namespace installer
