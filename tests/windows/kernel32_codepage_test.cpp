// The ANSI conversion against Windows' own (WideCharToMultiByte and
// MultiByteToWideChar, code page 1252): every character of the BMP and every
// byte.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/utf8.h"

namespace {

TEST(Kernel32CodePage, EveryCharacterOfTheBmpBecomesTheSameByte) {
  int differences = 0;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;  // no character
    const wchar_t unit = static_cast<wchar_t>(c);
    char theirs[4] = {};
    const int n = ::WideCharToMultiByte(1252, 0, &unit, 1, theirs, sizeof theirs, nullptr, nullptr);
    std::string text;
    platform::utf8::append(text, c);
    const std::string mine = platform::toAnsi(text);
    if (mine != std::string(theirs, static_cast<std::size_t>(n)) && ++differences <= 10)
      ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c) << ": ours \"" << mine
                    << "\", Windows' \"" << std::string(theirs, static_cast<std::size_t>(n))
                    << "\"";
  }
  EXPECT_EQ(differences, 0);
}

TEST(Kernel32CodePage, ACharacterOutsideTheBmpIsTwoQuestionMarks) {
  const wchar_t pair[] = {0xD83D, 0xDE00};  // U+1F600
  char theirs[8] = {};
  const int n = ::WideCharToMultiByte(1252, 0, pair, 2, theirs, sizeof theirs, nullptr, nullptr);
  EXPECT_EQ(platform::toAnsi("\xF0\x9F\x98\x80"), std::string(theirs, static_cast<std::size_t>(n)));
}

TEST(Kernel32CodePage, EveryByteBecomesTheSameCharacter) {
  for (int b = 1; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t unit = 0;
    ASSERT_EQ(::MultiByteToWideChar(1252, 0, &byte, 1, &unit, 1), 1);
    std::string theirs;
    platform::utf8::append(theirs, static_cast<char32_t>(unit));
    EXPECT_EQ(platform::fromAnsi(std::string(1, byte)), theirs) << "byte " << b;
  }
}

}  // namespace
