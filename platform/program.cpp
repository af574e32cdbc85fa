#include "platform/program.h"

#include <new>

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/message_box.h"

namespace platform {
namespace {

std::string& nameStorage() {
  static std::string name;
  return name;
}

// Thrown by endProgram. Not a std::exception, so that handlers for those do
// not stop it on its way to runProgram.
struct ProgramEnd {};

void showRunTimeError(std::string_view name, const Error& error) {
  const std::string text = "Error en tiempo de ejecución '" + std::to_string(error.number()) +
                           "':\n\n" + error.description();
  ErrorBox(text, name, Icon::Critical, error.cause());
}

}  // namespace

int runProgram(std::string_view name, const std::function<void()>& body) {
  nameStorage() = name;
  const int boxesBefore = messageBoxCount();
  try {
    body();
  } catch (const ProgramEnd&) {
  } catch (const Error& error) {
    showRunTimeError(name, error);
  } catch (const std::bad_alloc&) {
    showRunTimeError(name, makeError(err::kOutOfMemory));
  } catch (const std::exception& other) {
    // Not one of ours: a fault in the program itself. The box says error 5;
    // the library's own words go to standard error for whoever debugs it.
    env::writeError(std::string("internal error: ") + other.what() + "\n");
    showRunTimeError(name, makeError(err::kInvalidArgument));
  } catch (...) {
    showRunTimeError(name, makeError(err::kInvalidArgument));
  }
  return messageBoxCount() == boxesBefore ? 0 : 1;
}

void endProgram() { throw ProgramEnd{}; }

const std::string& programName() { return nameStorage(); }

std::string commandLine(int argc, char** argv) {
  std::string line;
  for (const std::string& argument : env::Env::current().arguments(argc, argv)) {
    if (!line.empty()) line += ' ';
    line += argument;
  }
  return line;
}

}  // namespace platform
