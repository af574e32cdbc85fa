// The engine's text comparison: letter case is ignored (accented Latin
// letters too: ñ = Ñ; accents themselves count) and so are trailing blanks
// on either side. Texts are UTF-8; a malformed byte stands for itself, above
// every character, so that two different bytes never compare equal.
#pragma once

namespace hostdb::jet {

// Where a malformed byte b is decoded: kMalformed + b.
inline constexpr char32_t kMalformed = 0x110000;

// Decodes one UTF-8 character at s[i] of the n bytes at s, advancing i.
char32_t decodeChar(const unsigned char* s, int n, int& i);

// <0, 0 or >0 as a sorts before, with or after b.
int compareJet(const char* a, int aLength, const char* b, int bLength);

}  // namespace hostdb::jet
