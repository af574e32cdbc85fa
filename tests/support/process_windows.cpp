// Temporary folders and child processes on Windows: CreateProcessW with
// pipes for the three standard handles, read and written by threads.
#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/windows/command_line.h"
#include "platform/windows/wide.h"
#include "tests/support/process.h"
#include "tests/support/test_support.h"

namespace testsupport {
namespace {

using platform::windows::narrow;
using platform::windows::widen;

// A pipe whose one end a child inherits.
struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  explicit Pipe(bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!::CreatePipe(&read, &write, &inherit, 0)) throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
  }
};

void readAll(HANDLE from, std::string& into) {
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0)
    into.append(buffer, got);
  ::CloseHandle(from);
}

// The environment block CreateProcessW takes: NAME=value entries, each
// ended by a zero, and one zero more.
std::wstring environmentBlock(const std::vector<std::string>& entries) {
  std::wstring block;
  for (const std::string& entry : entries) {
    block += widen(entry);
    block += L'\0';
  }
  block += L'\0';
  return block;
}

}  // namespace

TempDir::TempDir() {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (unsigned n = ::GetCurrentProcessId() * 7919u + ::GetTickCount();; ++n) {
    const std::filesystem::path candidate = base / ("zeltest." + std::to_string(n % 1000000u));
    if (::CreateDirectoryW(candidate.wstring().c_str(), nullptr)) {
      path_ = candidate.generic_string();
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("CreateDirectoryW failed");
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> currentEnvironment() {
  std::vector<std::string> entries;
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* e = block; *e != L'\0'; e += wcslen(e) + 1) entries.push_back(narrow(e));
  ::FreeEnvironmentStringsW(block);
  return entries;
}

namespace {

// Starts `argv` with childEnvironment(env) and the handles `in`, `out` and
// `err` as its standard ones; 0 when started, else the system's error.
// Under Wine a start can fail now and then while many processes start at
// once: it is tried again a few times, unless the program is not there.
DWORD startChild(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& env, HANDLE in, HANDLE out, HANDLE err,
                 PROCESS_INFORMATION& process) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  const std::wstring program = widen(argv[0]);
  const std::wstring line = platform::windows::commandLine(argv);
  std::wstring block = environmentBlock(childEnvironment(env));
  DWORD error = 0;
  for (int attempt = 1; attempt <= 5; ++attempt) {
    std::wstring writableLine = line;  // CreateProcessW may write to it
    if (::CreateProcessW(program.c_str(), writableLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(), nullptr,
                         &startup, &process)) {
      ::CloseHandle(process.hThread);
      return 0;
    }
    error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) break;
    ::Sleep(200 * attempt);
  }
  return error;
}

}  // namespace

RunResult runProcess(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env, const std::string& input) {
  Pipe in(true), out(false), err(false);
  PROCESS_INFORMATION process{};
  const DWORD startError = startChild(argv, env, in.read, out.write, err.write, process);
  ::CloseHandle(in.read);
  ::CloseHandle(out.write);
  ::CloseHandle(err.write);
  RunResult result;
  if (startError != 0) {
    ::CloseHandle(in.write);
    ::CloseHandle(out.read);
    ::CloseHandle(err.read);
    result.exitCode = 127;
    result.err = "CreateProcessW " + argv[0] + ": error " + std::to_string(startError) + "\n";
    return result;
  }
  std::thread writer([&] {
    DWORD written = 0;
    if (!input.empty())
      ::WriteFile(in.write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    ::CloseHandle(in.write);
  });
  // A child still running past the limit is ended, which closes its pipes.
  bool killed = false;
  std::thread watchdog([&] {
    const auto limit = static_cast<DWORD>(childTimeLimit().count());
    if (::WaitForSingleObject(process.hProcess, limit) == WAIT_TIMEOUT) {
      killed = ::TerminateProcess(process.hProcess, kChildTimedOut) != 0;
    }
  });
  std::thread errors([&] { readAll(err.read, result.err); });
  readAll(out.read, result.out);
  errors.join();
  writer.join();
  watchdog.join();
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  result.exitCode = static_cast<int>(code);
  if (killed) result.err += "killed: still running after the test's limit for a child\n";
  return result;
}

Background::Background(const std::vector<std::string>& argv,
                       const std::map<std::string, std::string>& env) {
  Pipe out(false);
  PROCESS_INFORMATION process{};
  const DWORD startError =
      startChild(argv, env, nullptr, out.write, ::GetStdHandle(STD_ERROR_HANDLE), process);
  ::CloseHandle(out.write);
  if (startError != 0) {
    ::CloseHandle(out.read);
    throw std::runtime_error("CreateProcessW " + argv[0] + ": error " + std::to_string(startError));
  }
  pid_ = reinterpret_cast<long long>(process.hProcess);
  char c = 0;
  DWORD got = 0;
  while (::ReadFile(out.read, &c, 1, &got, nullptr) && got == 1 && c != '\n') firstLine_ += c;
  ::CloseHandle(out.read);
  if (!firstLine_.empty() && firstLine_.back() == '\r') firstLine_.pop_back();
}

void Background::end(bool /*abruptly*/) {
  if (pid_ <= 0) return;
  const HANDLE process = reinterpret_cast<HANDLE>(pid_);
  ::TerminateProcess(process, 1);
  ::WaitForSingleObject(process, INFINITE);
  ::CloseHandle(process);
  pid_ = -1;
}

bool systemIsWindows() { return true; }

std::string systemWords(int, unsigned long win32Error) {
  return "(Win32 error " + std::to_string(win32Error) + ")";
}

std::string findProgram(const std::string& name) {
  return platform::windows::narrowPath(platform::windows::programPath(name));
}

}  // namespace testsupport
