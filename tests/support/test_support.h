// Support for tests that run the built programs: temporary folders, child
// processes with their own environment, files read back as bytes, and a host
// installation made with zelhost.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace testsupport {

// A fresh folder under $TMPDIR, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The environment for a child process: this process's environment without
// any ZEL_*, WINDIR or SOURCE_DATE_EPOCH variable, ZEL_MESSAGE_UI=text (so that
// no test shows a dialog on a desktop it happens to run on), then `env` on top.
std::vector<std::string> childEnvironment(const std::map<std::string, std::string>& env);

// How long runProcess lets a child run: $ZEL_TEST_CHILD_SECONDS, or 120 s.
std::chrono::milliseconds childTimeLimit();
// The exit status of a child killed for running past that limit.
inline constexpr int kChildTimedOut = 124;

// Runs `argv` (argv[0] a path) and waits for it. The child gets
// childEnvironment(env); standard input is `input` (empty: /dev/null-like).
// A child still running after childTimeLimit() is killed: it ends with exit
// status 124 and a line on its standard error saying so, and the test fails
// on that rather than hanging.
RunResult runProcess(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env = {},
                     const std::string& input = "");

// A program left running beside the test until end() or destruction,
// started with childEnvironment(env) and standard input closed.
// `firstLine` is the first line it wrote to standard output ("" when it ended
// or closed it first); its standard error is the test's own.
class Background {
 public:
  explicit Background(const std::vector<std::string>& argv,
                      const std::map<std::string, std::string>& env = {});
  ~Background() { end(false); }
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  const std::string& firstLine() const { return firstLine_; }
  // Ends it and waits for it: asked to end (SIGTERM), or `abruptly` as a
  // power cut or kill -9 would (SIGKILL). Windows has only the abrupt way.
  void end(bool abruptly);

 private:
  std::string firstLine_;
  long long pid_ = -1;  // POSIX: the process id; Windows: the process handle
};

std::string readFile(const std::string& path);  // "" when missing
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);  // on '\n', no empty last
std::vector<std::string> readLines(const std::string& path);   // splitLines of the file
std::vector<std::string> listFolder(const std::string& path);  // the names in it, sorted

// The path of an installed program ("sqlite3", "python3") where the system
// looks for programs (PATH; on Windows with ".exe"); "" when there is none.
std::string findProgram(const std::string& name);

// How a cause quotes what the system said: on POSIX strerror's words for
// `posixError`, on Windows the number of `win32Error` ("(Win32 error 3)").
std::string systemWords(int posixError, unsigned long win32Error);

// True in a Windows build: tests of what only POSIX has (permission bits,
// names that differ in case only, the configuration folder) skip there.
bool systemIsWindows();

// Skips the test in a Windows build, naming the POSIX facility it needs
// (fork(), a pseudo-terminal, a FIFO, symbolic links, permission bits).
#define ZEL_SKIP_WITHOUT_POSIX(what) \
  if (::testsupport::systemIsWindows()) GTEST_SKIP() << "needs " what ", which Windows lacks"

// A ZEL_MESSAGE_LOG entry split into the box without its "cause" field and
// that field's (JSON-escaped) text, "" when it has none.
struct BoxAndCause {
  std::string box;
  std::string cause;
};
BoxAndCause splitCause(const std::string& entry);

// "" when `transcript` holds the one box `box` (its cause left out) with a
// cause that contains each of `parts`; otherwise what differs.
std::string oneBoxWithCause(const std::vector<std::string>& transcript, const std::string& box,
                            const std::vector<std::string>& parts);

// Path of a built program ("formsetup", "zelhost", ...).
std::string program(const std::string& name);

// A host installation in a temporary folder, with its own Windows directory,
// message transcript and SQL trace.
class TestHost {
 public:
  TestHost();
  const std::string& root() const { return dir_.path(); }
  std::string folder() const { return dir_ / "host"; }     // the host folder
  std::string windir() const { return dir_ / "windows"; }  // holds PM000.INI
  std::string iniPath() const { return windir() + "/PM000.INI"; }
  std::string transcriptPath() const { return dir_ / "messages.jsonl"; }
  std::string sqlLogPath() const { return dir_ / "sql.log"; }
  std::string databasePath() const { return folder() + "/zel.db"; }

  // Environment for the programs: ZEL_WINDIR, ZEL_MESSAGE_LOG, ZEL_SQL_LOG.
  std::map<std::string, std::string> env() const;

  // zelhost init (asserts success).
  void init(const std::vector<std::string>& extraArgs = {});
  // Runs a built program with env() plus `extraEnv`.
  RunResult run(const std::string& name, const std::vector<std::string>& args = {},
                const std::map<std::string, std::string>& extraEnv = {}) const;

  std::vector<std::string> transcript() const { return readLines(transcriptPath()); }
  std::vector<std::string> sqlLog() const { return readLines(sqlLogPath()); }

 private:
  TempDir dir_;
};

// The error number `body` raises (engine and run-time errors alike); 0 when it
// raises none.
template <typename Body>
int errorOf(Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    return e.number();
  }
  return 0;
}

// "number: cause" of the error `body` raises; "" when it raises none.
template <typename Body>
std::string errorWithCause(Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    return std::to_string(e.number()) + ": " + e.cause();
  }
  return "";
}

}  // namespace testsupport
