// Text as the programs see it: Unicode in memory (UTF-8 std::string), counted
// in characters, never bytes; Windows-1252 (the ANSI code page) on disk.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Number of characters (code points) of a UTF-8 text.
std::size_t charCount(std::string_view text);

// The first `n` characters (all of them when the text is shorter).
std::string leftChars(std::string_view text, std::size_t n);

// `n` characters from the 1-based character position `start`; empty when
// `start` lies past the end; to the end when `n` reaches past it.
std::string midChars(std::string_view text, std::size_t start, std::size_t n);
std::string midChars(std::string_view text, std::size_t start);  // to the end

// The last `n` characters.
std::string rightChars(std::string_view text, std::size_t n);

// BASIC Trim/LTrim/RTrim: spaces only (not tabs).
std::string trimSpaces(std::string_view text);
std::string trimLeadingSpaces(std::string_view text);
std::string trimTrailingSpaces(std::string_view text);

// BASIC UCase: letters of every script the code page holds (ñ -> Ñ, é -> É).
std::string upperCase(std::string_view text);

// UTF-8 to Windows-1252 bytes as Windows' default conversion writes them: a
// character the code page lacks becomes its best-fit look-alike where Windows
// has one (ā -> a, Ł -> L, U+2212 -> -), otherwise '?' for each of its UTF-16
// units (so "??" for a character beyond U+FFFF); a malformed byte is one '?'.
// The same bytes on every system: the table is our own, not the system's.
std::string toAnsi(std::string_view utf8);

// Windows-1252 bytes to UTF-8 (the five bytes the code page leaves undefined
// map to the C1 control characters of the same value).
std::string fromAnsi(std::string_view ansi);

// UTF-16LE bytes (no byte-order mark) to UTF-8, and back. What does not form
// a character (a lone surrogate, an odd last byte, a malformed UTF-8 byte)
// becomes U+FFFD.
std::string fromUtf16le(std::string_view bytes);
std::string toUtf16le(std::string_view utf8);

}  // namespace platform
