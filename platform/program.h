// A program's run: its name, its argument text, how it ends and its exit status.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Runs `body` as the program `name`. An Error that escapes `body` is shown as
// the run-time error box (critical, titled `name`, text
// "Error en tiempo de ejecución 'N':" + two line feeds + description), and the
// program ends. Returns the exit status: 0 when the run completed without
// showing any box, 1 otherwise.
int runProgram(std::string_view name, const std::function<void()>& body);

// Ends the program at once (BASIC End). Unwinds to runProgram, so that open
// files and databases are closed on the way.
[[noreturn]] void endProgram();

// The program's name as given to runProgram ("formsetup").
const std::string& programName();

// The argument text of a program started with `argc` and `argv`: the
// arguments (read as the system gives them: on Windows, from the wide
// command line) joined by single blanks.
std::string commandLine(int argc, char** argv);

}  // namespace platform
