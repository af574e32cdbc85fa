// Windows' own reading of a path (GetFullPathNameW), on the wide text: the
// C++ library's takes `\\server\share\…` for a folder of the current drive
// and loses the server.
#include <windows.h>

#include <string>

#include "platform/full_path.h"
#include "platform/windows/wide.h"

namespace platform {

using windows::narrowPath;
using windows::widePath;

std::string fullFolderPath(const std::string& folder) {
  const std::wstring wide = widePath(folder);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                       nullptr);
    if (n == 0) return folder;  // no path Windows can read: the folder as given
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  std::string text = narrowPath(full);
  // A drive's root keeps its separator ("C:/"); any other folder loses it.
  const bool driveRoot = text.size() == 3 && text[1] == ':';
  if (!driveRoot && text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace platform
