// The Windows profile (INI file) functions, with Windows' own semantics.
//
// A bare file name ("PM000.INI") is looked up in the Windows directory; a name
// with a path is used as it is (both '\' and '/' separate folders). The file is
// in the ANSI code page; values come and go as UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Reads `key` of `section` into `returned`, cut to `size` - 1 characters, and
// returns the number of characters copied. Section and key match without regard
// to case; blanks around the value and one pair of matching quotes are
// stripped. A missing file, section or key gives `defaultValue` (trailing
// spaces removed). With size 0 `returned` is left as it was and 0 is returned.
unsigned GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::string& returned,
                                  unsigned size, std::string_view fileName);

// Sets `key` of `section` to `value` (no value: deletes the key), creating the
// file and the section when missing and keeping every other line as it was.
// The new file is written beside the old one and renamed over it; writers of
// one file take turns under an advisory lock (a file "." + name + ".lock"
// beside it), and a symbolic link is followed to the file it leads to.
// Returns false when the file cannot be written.
bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::optional<std::string_view> value, std::string_view fileName);

// The folder bare profile names resolve to: $ZEL_WINDIR when set (a name of
// its own, since Windows and Wine set WINDIR themselves), otherwise the
// system's (Windows: its Windows directory; elsewhere $WINDIR when set, else
// ${XDG_CONFIG_HOME:-$HOME/.config}/zel).
std::string windowsDirectory();

// Where the profile functions look for `fileName`: a bare name in
// windowsDirectory(), a name with a folder as it is; found in any case.
std::string profilePath(std::string_view fileName);

}  // namespace platform
