// The entry point of a Windows program without a console window (linked
// with -mwindows -municode): Windows opens no console for it, whether it is
// started from Explorer, a shortcut or a console. Its arguments arrive wide
// and are given to programMain in UTF-8.
//
// Where the program has something to say on a console (message boxes as
// text, ZEL_MESSAGE_UI=text, or its usage or version) and its standard
// handles lead nowhere, it writes to the console it was started from, if
// any. Handles a parent gave it (a pipe, a file) are kept as they are.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/entry.h"
#include "platform/windows/wide.h"

namespace {

bool leadsSomewhere(DWORD which) {
  const HANDLE h = ::GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN;
}

bool wantsConsole(int argc, wchar_t** argv) {
  if (argc == 2 && (std::wcscmp(argv[1], L"--help") == 0 || std::wcscmp(argv[1], L"--version") == 0))
    return true;
  wchar_t ui[8];
  const DWORD n = ::GetEnvironmentVariableW(L"ZEL_MESSAGE_UI", ui, 8);
  return n == 4 && std::wcscmp(ui, L"text") == 0;
}

// Standard output or error (`which`, and the C runtime's `stream`) onto the
// console. A program without a console has no C stream there to reopen
// (freopen fails on it): the stream is made anew over the console's handle.
void toConsole(DWORD which, FILE* stream) {
  const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  ::SetStdHandle(which, console);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(console), _O_BINARY);
  FILE* opened = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (opened != nullptr) *stream = *opened;
}

void useParentConsole() {
  const bool out = leadsSomewhere(STD_OUTPUT_HANDLE), err = leadsSomewhere(STD_ERROR_HANDLE);
  if (out && err) return;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;  // not started from a console
  if (!out) toConsole(STD_OUTPUT_HANDLE, stdout);
  if (!err) toConsole(STD_ERROR_HANDLE, stderr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (wantsConsole(argc, argv)) useParentConsole();
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(platform::windows::narrow(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return programMain(argc, pointers.data());
}
