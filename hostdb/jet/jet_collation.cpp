#include "hostdb/jet/jet_collation.h"

#include <string_view>

#include "platform/utf8.h"

namespace hostdb::jet {
namespace {

int trimmedLength(const char* s, int n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

}  // namespace

char32_t decodeChar(const unsigned char* s, int n, int& i) {
  const auto d = platform::utf8::decodeAt(
      std::string_view(reinterpret_cast<const char*>(s), static_cast<std::size_t>(n)),
      static_cast<std::size_t>(i));
  const unsigned char first = s[i];
  i += static_cast<int>(d.length);
  return d.codePoint == platform::utf8::kInvalid ? kMalformed + first : d.codePoint;
}

int compareJet(const char* a, int an, const char* b, int bn) {
  using platform::utf8::toLower;
  an = trimmedLength(a, an);
  bn = trimmedLength(b, bn);
  const auto* ua = reinterpret_cast<const unsigned char*>(a);
  const auto* ub = reinterpret_cast<const unsigned char*>(b);
  int i = 0, j = 0;
  while (i < an && j < bn) {
    char32_t ca, cb;
    if (ua[i] < 0x80 && ub[j] < 0x80) {  // ASCII: no decoding
      ca = ua[i++];
      cb = ub[j++];
      if (ca >= 'A' && ca <= 'Z') ca += 32;
      if (cb >= 'A' && cb <= 'Z') cb += 32;
    } else {
      ca = toLower(decodeChar(ua, an, i));
      cb = toLower(decodeChar(ub, bn, j));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < an) return 1;
  if (j < bn) return -1;
  return 0;
}

}  // namespace hostdb::jet
