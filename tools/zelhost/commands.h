// zelhost's commands. Each takes the arguments after its name and returns the
// exit status; engine errors escape to main.
#pragma once

#include <string>
#include <vector>

namespace zelhost {

using Args = std::vector<std::string>;

int initCommand(const Args& args);
int sqlCommand(const Args& args);
int sampleCommand(const Args& args);
int shellCommand(const Args& args);
int checkCommand(const Args& args);
int repairCommand(const Args& args);
// page/page_command.cpp, or page/page_unavailable.cpp where the build cannot draw.
int pageCommand(const Args& args);

}  // namespace zelhost
