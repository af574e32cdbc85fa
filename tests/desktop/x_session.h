// A desktop for tests: a private X server (Xvfb, no window manager), programs
// started in the background on it, and windows found, typed into and
// photographed with xdotool and ImageMagick's import.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace desktop {

// The path of a program in PATH; "" when there is none.
std::string toolPath(const std::string& name);

// What is missing for tests that show dialogs, in a few words ("" when
// nothing is): Xvfb, xdotool, the dialog helper.
std::string missingForDialogs();

class XServer {
 public:
  XServer();  // starts Xvfb on a free display; display() is "" when it failed
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  const std::string& display() const { return display_; }

  // The id of the visible window titled `title`, once it is there; "" when
  // none appeared within half a minute.
  std::string waitForWindow(const std::string& title) const;
  // Gives `window` the keyboard focus, then types `keys` (xdotool key names,
  // such as "Return" or "alt+s").
  void press(const std::string& window, const std::vector<std::string>& keys) const;
  // Width and height of `window`.
  std::pair<int, int> size(const std::string& window) const;
  // Saves the window's picture as PNG; false when it failed.
  bool screenshot(const std::string& window, const std::string& pngPath) const;

 private:
  testsupport::RunResult tool(std::vector<std::string> argv) const;
  pid_t pid_ = -1;
  std::string display_;
};

// A program running in the background, in its own process group, with
// testsupport::childEnvironment(env); standard input /dev/null.
class Background {
 public:
  Background(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);
  ~Background();  // kills what still runs
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  // Waits up to `seconds` for the program to end; nullopt when it is still
  // running.
  std::optional<testsupport::RunResult> wait(int seconds = 20);

 private:
  testsupport::TempDir dir_;
  pid_t pid_ = -1;
};

}  // namespace desktop
