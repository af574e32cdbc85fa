// Environment variables, the console, the running program and the clock.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "platform/input_line.h"
#include "platform/windows/command_line.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"
#include "platform/windows/windows_env.h"

namespace platform::windows {
namespace {

// 100-nanosecond ticks between 1601-01-01 (FILETIME's origin) and 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000;

std::int64_t ticksOf(const FILETIME& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
}

// Standard output and error take the programs' bytes as they are, as on
// other systems: the C runtime's text mode would put CR before each LF.
[[maybe_unused]] const bool binaryStandardStreams = [] {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return true;
}();

bool isConsole(HANDLE h) {
  DWORD mode = 0;
  return ::GetConsoleMode(h, &mode) != 0;
}

}  // namespace

std::optional<std::string> WindowsEnv::variable(const char* name) {
  const std::wstring wideName = widen(name);
  ::SetLastError(ERROR_SUCCESS);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) {
    if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring value(size, L'\0');
  const DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  value.resize(n < size ? n : 0);
  return narrow(value);
}

void WindowsEnv::writeError(std::string_view text) noexcept {
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  if (isConsole(err)) {  // the console shows UTF-16, whatever its code page
    const std::wstring wide = widen(text);
    DWORD written = 0;
    ::WriteConsoleW(err, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  while (!text.empty()) {
    DWORD written = 0;
    if (!::WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written == 0)
      return;
    text.remove_prefix(written);
  }
}

bool WindowsEnv::inputIsTerminal() { return isConsole(::GetStdHandle(STD_INPUT_HANDLE)); }

std::optional<std::string> WindowsEnv::readInputLine() {
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  if (isConsole(in)) {  // the console gives a line at a time, in UTF-16
    const auto wide = env::readLineOf<wchar_t>([in](wchar_t& c) {
      DWORD got = 0;
      return ::ReadConsoleW(in, &c, 1, &got, nullptr) && got == 1;
    });
    if (!wide) return std::nullopt;
    return narrow(*wide);
  }
  return env::readLineOf<char>([in](char& c) {
    DWORD got = 0;
    return ::ReadFile(in, &c, 1, &got, nullptr) && got == 1;
  });
}

std::string WindowsEnv::executablePath() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return narrowPath(std::wstring_view(buffer.data(), n));
}

namespace {

// `wide` as the C runtime gives it to main: in the ANSI code page.
std::string inAnsi(const wchar_t* wide) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(n > 0 ? static_cast<std::size_t>(n) : 1u, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), n, nullptr, nullptr);
  text.resize(text.size() - 1);
  return text;
}

}  // namespace

std::vector<std::string> WindowsEnv::arguments(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  // Only an argv made from this process's command line is read again from
  // it; one of a caller's own making (a program run in a test's process) is
  // taken as it is.
  bool same = count == argc;
  for (int i = 1; same && i < count; ++i) same = inAnsi(wide[i]) == argv[i];
  if (same) {
    for (int i = 1; i < count; ++i) args[static_cast<std::size_t>(i - 1)] = narrow(wide[i]);
  }
  ::LocalFree(wide);
  return args;
}

// The program runs as a child on the same console and handles; its exit
// code is the status.
int WindowsEnv::runAttached(const std::vector<std::string>& argv) noexcept {
  if (argv.empty()) return -1;
  const std::wstring program = programPath(argv[0]);
  if (program.empty()) return -1;
  std::wstring line = commandLine(argv);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
    return -1;
  ::CloseHandle(process.hThread);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code & 0x7FFFFFFF);
}

env::Instant WindowsEnv::currentInstant() {
  FILETIME now{};
  ::GetSystemTimePreciseAsFileTime(&now);
  const std::int64_t ticks = ticksOf(now) - kUnixEpochTicks;
  return {ticks / 10000000, static_cast<std::int32_t>(ticks % 10000000) * 100};
}

DateTime WindowsEnv::localDateTime(std::int64_t seconds) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(seconds * 10000000 + kUnixEpochTicks);
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{}, local{};
  ::FileTimeToSystemTime(&utc, &universal);
  // The system's time zone, with the rules of that instant's year.
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) local = universal;
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

std::uint64_t WindowsEnv::clockSeed() {
  FILETIME now{};
  ::GetSystemTimePreciseAsFileTime(&now);
  return static_cast<std::uint64_t>(ticksOf(now)) * 100u ^
         (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 40);
}

std::string WindowsEnv::windowsDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  return narrowPath(std::wstring_view(buffer, n < MAX_PATH ? n : 0));
}

}  // namespace platform::windows
