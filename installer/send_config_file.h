// The send configuration file (tmp/env661.txt): lines of 13 fields, each
// followed by "|". Read and checked whole before anything is changed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace installer {

// The values of one line, ready for envio_t.
struct SendConfigLine {
  std::string tablaO;                   // field 2, trimmed
  std::string tablaD;                   // field 3, or one blank when it is empty
  std::string tablaExt;                 // field 4, trimmed
  std::array<std::uint8_t, 3> bytes{};  // fields 5-7: indice, obliga, c_tip_doc_d
  std::array<double, 6> numbers{};      // fields 8-13: c_doc_id_d .. c_semana
};

// The most characters envio_t's text columns take; 0 for no limit.
struct SendConfigLimits {
  std::size_t tablaO = 0;
  std::size_t tablaD = 0;
  std::size_t tablaExt = 0;
};

struct SendConfigFile {
  std::vector<SendConfigLine> lines;  // up to the first blank line
  std::string problem;                // empty when the whole file is good
};

// Reads the file at `path` (a Windows path; the messages name it as the
// system does). Lines end at CR LF, at a lone CR or at a lone LF. A missing or
// unreadable file or a malformed line gives no lines and a message that names
// the file and, for a line, its number and what is wrong with it; a file
// whose file server can no longer be reached raises err::kConnectionLost.
SendConfigFile readSendConfigFile(const std::string& path, const SendConfigLimits& limits);

// Splits one line and checks its values: fields 5-7 are numbers that round
// (halves to even) to 0-255, fields 8-13 numbers, the text fields fit their
// columns and hold no NUL. On failure returns false and says why.
bool parseSendConfigLine(const std::string& line, const SendConfigLimits& limits,
                         SendConfigLine& out, std::string& why);

}  // namespace installer
