#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "platform/utf8.h"
#include "tests/support/test_support.h"

using namespace platform;

TEST(CodePage, SpanishLettersAreOneByteEachAndComeBack) {
  const std::string text = "Ó Ú Í í ó ú é á ñ Ñ ¡ É Á ¿ ü €";
  const std::string ansi = toAnsi(text);
  EXPECT_EQ(ansi,
            "\xD3 \xDA \xCD \xED \xF3 \xFA \xE9 \xE1 \xF1 \xD1 \xA1 \xC9 \xC1 \xBF \xFC \x80");
  EXPECT_EQ(fromAnsi(ansi), text);
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = fromAnsi(all);
  EXPECT_EQ(toAnsi(utf8), all);
  // 0x80..0x9F hold the code page's own letters and signs.
  EXPECT_EQ(fromAnsi(all.substr(0x80, 32)),
            "€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
  // The undefined bytes become C1 controls.
  EXPECT_EQ(fromAnsi("\x81"), "\xC2\x81");
  EXPECT_EQ(fromAnsi("\x9D"), "\xC2\x9D");
}

// Every row of the measured table: the character comes out as its byte.
TEST(CodePage, CharactersOutsideTheCodePageTakeWindowsBestFit) {
  const auto rows = testsupport::readLines(ZEL_SOURCE_DIR "/platform/data/bestfit-1252.tsv");
  int checked = 0;
  for (const std::string& row : rows) {
    if (row.rfind("U+", 0) != 0) continue;
    const auto tab = row.find('\t');
    const auto codePoint = static_cast<char32_t>(std::stoul(row.substr(2, tab - 2), nullptr, 16));
    const auto byte = static_cast<char>(std::stoul(row.substr(tab + 1), nullptr, 16));
    std::string character;
    utf8::append(character, codePoint);
    EXPECT_EQ(toAnsi("<" + character + ">"), std::string("<") + byte + ">") << row;
    ++checked;
  }
  EXPECT_EQ(checked, 441);
  EXPECT_EQ(toAnsi("Āna Łukasz‐Ｘ"), "Ana Lukasz-X");
}

TEST(CodePage, MissingCharactersBecomeOneQuestionMarkPerUtf16Unit) {
  // No look-alike for these; an emoji is two UTF-16 units, so two '?', as
  // Windows writes it.
  EXPECT_EQ(toAnsi("x😀y中z"), "x??y?z");
  // C1 controls the code page lacks take no look-alike.
  EXPECT_EQ(toAnsi("\u0080\u0082\u009F"), "???");
  // Malformed UTF-8: each bad byte is a '?', the good text around it stays.
  EXPECT_EQ(toAnsi("a\xFF"
                   "b\xC3"),
            "a?b?");
  EXPECT_EQ(toAnsi("\xE2\x82"
                   "é"),
            "??\xE9");
}

TEST(CodePage, Utf16PairsSurrogatesAndReplacesWhatFormsNoCharacter) {
  const std::string text = "aé€😀";
  const std::string units = toUtf16le(text);
  EXPECT_EQ(units, std::string("a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE", 10));
  EXPECT_EQ(fromUtf16le(units), text);
  // A surrogate without its partner, either half, and an odd last byte.
  EXPECT_EQ(fromUtf16le(std::string("\x3D\xD8"
                                    "a\0"
                                    "\x00\xDE"
                                    "b",
                                    7)),
            "\uFFFD"
            "a"
            "\uFFFD"
            "\uFFFD");
  EXPECT_EQ(toUtf16le("\xFF"), "\xFD\xFF");
}

TEST(Characters, CountsAndCutsByCharacterNotByte) {
  const std::string s = "Año ñandú";
  EXPECT_EQ(charCount(s), 9u);
  EXPECT_EQ(leftChars(s, 2), "Añ");
  EXPECT_EQ(leftChars(s, 3), "Año");
  EXPECT_EQ(leftChars(s, 100), s);
  EXPECT_EQ(midChars(s, 2, 2), "ño");
  EXPECT_EQ(midChars(s, 5), "ñandú");
  EXPECT_EQ(midChars(s, 9, 5), "ú");
  EXPECT_EQ(midChars(s, 10, 1), "");
  EXPECT_EQ(rightChars(s, 2), "dú");
  EXPECT_EQ(rightChars(s, 20), s);
  // A malformed byte is one character and is never split from its neighbours.
  EXPECT_EQ(charCount("a\xFF"
                      "é"),
            3u);
  EXPECT_EQ(leftChars("a\xFF"
                      "é",
                      2),
            "a\xFF");
}

TEST(Characters, TrimRemovesSpacesOnly) {
  EXPECT_EQ(trimSpaces("  \ta b\t  "), "\ta b\t");
  EXPECT_EQ(trimLeadingSpaces("  x  "), "x  ");
  EXPECT_EQ(trimTrailingSpaces("  x  "), "  x");
  EXPECT_EQ(trimSpaces("    "), "");
}

TEST(Characters, UpperCaseCoversTheCodePageLetters) {
  EXPECT_EQ(upperCase("año ñandú éxito çÿšžœ"), "AÑO ÑANDÚ ÉXITO ÇŸŠŽŒ");
  EXPECT_EQ(upperCase("÷ß1-z"), "÷ß1-Z");
  EXPECT_EQ(upperCase("þ"), "Þ");
}
