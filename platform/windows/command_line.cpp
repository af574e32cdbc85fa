#include "platform/windows/command_line.h"

#include <windows.h>

#include "platform/windows/wide.h"

namespace platform::windows {
namespace {

// One argument: quoted when it holds a blank or a quote, or is empty; a run
// of backslashes is doubled before a quote, which is escaped.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

std::wstring commandLine(const std::vector<std::string>& argv) {
  std::wstring line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += L' ';
    appendQuoted(line, widen(arg));
  }
  return line;
}

std::wstring programPath(const std::string& argv0) {
  const std::wstring name = widen(argv0);
  if (argv0.find_first_of("/\\:") != std::string::npos) return name;
  wchar_t found[MAX_PATH];
  const DWORD n = ::SearchPathW(nullptr, name.c_str(), L".exe", MAX_PATH, found, nullptr);
  return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(found, n);
}

}  // namespace platform::windows
