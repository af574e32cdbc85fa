// A message box as a dialog on a Linux desktop: the GTK helper zeldialog
// shows it and prints the answer, and this process waits for it. The helper
// lies at a fixed path relative to the running program's folder (the same in
// the build tree and under the install prefix), so that the programs
// themselves never link the toolkit and run unchanged where it is absent.
#include "platform/message_dialog.h"

#include <unistd.h>

#include "platform/env.h"
#include "platform/posix/child_process.h"

namespace platform {
namespace {

bool isSet(const char* name) {
  const auto value = env::variable(name);
  return value && !value->empty();
}

// The folder of the running program's executable.
std::string programFolder() {
  const std::string exe = env::executablePath();
  return exe.substr(0, exe.rfind('/'));
}

std::string helperPath() { return programFolder() + "/" + ZEL_DIALOG_HELPER_FROM_BIN; }

std::optional<Answer> answerNamed(std::string_view out, Buttons buttons) {
  if (buttons == Buttons::Ok) {
    if (out == "ok\n") return Answer::Ok;
  } else if (out == "yes\n") {
    return Answer::Yes;
  } else if (out == "no\n") {
    return Answer::No;
  }
  return std::nullopt;
}

// The helper's own words for its failure: the last line it wrote.
std::string lastLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text.substr(text.rfind('\n') + 1);
}

}  // namespace

DialogResult showAsDialog(const MessageRequest& box) {
  if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
    return {std::nullopt, "neither DISPLAY nor WAYLAND_DISPLAY is set"};
  }
  const std::string helper = helperPath();
  if (::access(helper.c_str(), X_OK) != 0) {
    return {std::nullopt, "the dialog helper " + helper + " is not installed"};
  }
  const posix::ChildOutcome run =
      posix::runChild({helper, "--title", std::string(box.title), "--icon", iconWord(box.icon),
                       "--buttons", buttonsWord(box.buttons), "--default",
                       answerWord(box.defaultButton), std::string(box.text)});
  if (!run.started) return {std::nullopt, "cannot start " + helper + ": " + run.failure};
  if (run.exited && run.exitStatus == 0) {
    if (const auto answer = answerNamed(run.out, box.buttons)) return {answer, ""};
  }
  if (const std::string said = lastLine(run.err); !said.empty()) return {std::nullopt, said};
  return {std::nullopt, run.exited ? helper + " ended with status " + std::to_string(run.exitStatus)
                                   : helper + " was killed"};
}

}  // namespace platform
