// A profile file's bytes as the INI functions take them: ANSI (Windows-1252)
// unless a byte-order mark says UTF-16LE or UTF-8, split into lines that each
// keep their own bytes beside their decoded text.
#pragma once

#include <string_view>
#include <vector>

#include "platform/ini_text.h"

namespace platform {

struct ProfileFile {
  std::string_view mark;  // the byte-order mark, if any
  ini::Encode encode;     // text to the file's encoding
  std::vector<ini::Line> lines;
};

// `bytes` split into lines; the result points into `bytes`. A line ends at CR
// LF, at CR alone or at LF alone (in UTF-16LE, at those units), as Windows
// reads it. What does not decode reads as U+FFFD and keeps its bytes.
ProfileFile splitProfile(std::string_view bytes);

}  // namespace platform
