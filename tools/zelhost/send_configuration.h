// The host's send configuration file tmp/env661.txt, as an installed host
// carries it for form 0661.
#pragma once

#include <string>

namespace zelhost {

// Writes the sample configuration to `path` (Windows-1252, CR LF): lines of
// 13 fields, each followed by "|".
void writeSendConfiguration(const std::string& path);

}  // namespace zelhost
