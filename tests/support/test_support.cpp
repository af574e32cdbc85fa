#include "tests/support/test_support.h"

#include <cstdlib>

#include "tests/support/process.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

bool isScrubbed(const std::string& entry) {
  return entry.rfind("ZEL_", 0) == 0 || entry.rfind("WINDIR=", 0) == 0 ||
         entry.rfind("SOURCE_DATE_EPOCH=", 0) == 0;
}

}  // namespace

std::chrono::milliseconds childTimeLimit() {
  const char* given = std::getenv("ZEL_TEST_CHILD_SECONDS");
  if (given && *given) {
    char* end = nullptr;
    const long seconds = std::strtol(given, &end, 10);
    if (*end == '\0' && seconds > 0) return std::chrono::seconds(seconds);
  }
  return std::chrono::seconds(120);
}

std::vector<std::string> childEnvironment(const std::map<std::string, std::string>& env) {
  std::vector<std::string> envStrings;
  for (const std::string& entry : currentEnvironment()) {
    std::string name = entry.substr(0, entry.find('='));
    if (isScrubbed(entry) || env.count(name)) continue;
    envStrings.push_back(entry);
  }
  if (!env.count("ZEL_MESSAGE_UI")) envStrings.push_back("ZEL_MESSAGE_UI=text");
  for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
  return envStrings;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << bytes;
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::vector<std::string> readLines(const std::string& path) { return splitLines(readFile(path)); }

std::vector<std::string> listFolder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

BoxAndCause splitCause(const std::string& entry) {
  static const std::string kField = R"(,"cause":")";
  const std::size_t at = entry.find(kField);
  if (at == std::string::npos || entry.size() < at + kField.size() + 2) return {entry, ""};
  const std::size_t start = at + kField.size();
  return {entry.substr(0, at) + "}", entry.substr(start, entry.size() - 2 - start)};
}

std::string oneBoxWithCause(const std::vector<std::string>& transcript, const std::string& box,
                            const std::vector<std::string>& parts) {
  if (transcript.size() != 1) return std::to_string(transcript.size()) + " boxes";
  const BoxAndCause split = splitCause(transcript[0]);
  if (split.box != box) return "box " + split.box;
  for (const std::string& part : parts)
    if (split.cause.find(part) == std::string::npos) return "no '" + part + "' in " + split.cause;
  return "";
}

std::string program(const std::string& name) {
  return std::string(ZEL_BIN_DIR) + "/" + name + ZEL_EXE_SUFFIX;
}

TestHost::TestHost() { std::filesystem::create_directories(windir()); }

std::map<std::string, std::string> TestHost::env() const {
  return {{"ZEL_WINDIR", windir()},
          {"ZEL_MESSAGE_LOG", transcriptPath()},
          {"ZEL_SQL_LOG", sqlLogPath()}};
}

void TestHost::init(const std::vector<std::string>& extraArgs) {
  std::vector<std::string> args = {"init", folder()};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  RunResult r = run("zelhost", args);
  if (r.exitCode != 0) throw std::runtime_error("zelhost init failed: " + r.err);
}

RunResult TestHost::run(const std::string& name, const std::vector<std::string>& args,
                        const std::map<std::string, std::string>& extraEnv) const {
  std::vector<std::string> argv = {program(name)};
  argv.insert(argv.end(), args.begin(), args.end());
  std::map<std::string, std::string> e = env();
  for (const auto& [k, v] : extraEnv) e[k] = v;
  return runProcess(argv, e);
}

}  // namespace testsupport
