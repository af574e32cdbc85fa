// Windows-1252 and UTF-16LE <-> UTF-8 through glibc's iconv. iconv stops at a
// character it cannot convert; the loop then writes what Windows writes for it
// (a best-fit look-alike, '?', or, for the five bytes the code page leaves
// undefined, their C1 control characters) and carries on.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "platform/text.h"
#include "platform/utf8.h"
#include "platform/best_fit.h"

namespace platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much of `in` as iconv can, appending to `out`; returns the
  // number of input bytes consumed. Stops at the first byte it cannot take.
  std::size_t convertSome(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return in.size() - inLeft;
  }

 private:
  iconv_t cd_;
};

bool isUndefinedIn1252(char32_t c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

Converter& toAnsiConverter() {
  thread_local Converter converter("WINDOWS-1252", "UTF-8");
  return converter;
}

Converter& fromAnsiConverter() {
  thread_local Converter converter("UTF-8", "WINDOWS-1252");
  return converter;
}

Converter& fromUtf16Converter() {
  thread_local Converter converter("UTF-8", "UTF-16LE");
  return converter;
}

Converter& toUtf16Converter() {
  thread_local Converter converter("UTF-16LE", "UTF-8");
  return converter;
}

constexpr char32_t kReplacement = 0xFFFD;

// Converts all of `in`: whatever iconv takes, and at each place it stops,
// what `onStop(in, pos, out)` writes for it; onStop returns the bytes it took.
template <typename OnStop>
std::string convertAll(Converter& converter, std::string_view in, std::size_t reserve, OnStop onStop) {
  std::string out;
  out.reserve(reserve);
  std::size_t pos = 0;
  while (pos < in.size()) {
    pos += converter.convertSome(in.substr(pos), out);
    if (pos >= in.size()) break;
    pos += onStop(in, pos, out);
  }
  return out;
}

}  // namespace

std::string toAnsi(std::string_view text) {
  return convertAll(toAnsiConverter(), text, text.size(),
                    [](std::string_view in, std::size_t pos, std::string& out) {
                      // A malformed byte or a character the code page lacks.
                      const utf8::Decoded d = utf8::decodeAt(in, pos);
                      out += isUndefinedIn1252(d.codePoint) ? static_cast<char>(d.codePoint)
                                                            : bestFitByte(d.codePoint);
                      return d.length;
                    });
}

std::string fromAnsi(std::string_view ansi) {
  return convertAll(fromAnsiConverter(), ansi, ansi.size() + ansi.size() / 4,
                    [](std::string_view in, std::size_t pos, std::string& out) {
                      // A byte the code page leaves undefined: its C1 control character.
                      utf8::append(out, static_cast<unsigned char>(in[pos]));
                      return std::size_t{1};
                    });
}

std::string fromUtf16le(std::string_view bytes) {
  return convertAll(fromUtf16Converter(), bytes, bytes.size(),
                    [](std::string_view, std::size_t, std::string& out) {
                      utf8::append(out, kReplacement);  // a unit that is no character
                      return std::size_t{2};
                    });
}

std::string toUtf16le(std::string_view text) {
  return convertAll(toUtf16Converter(), text, text.size() * 2,
                    [](std::string_view in, std::size_t pos, std::string& out) {
                      out += "\xFD\xFF";  // U+FFFD for a malformed byte
                      return utf8::decodeAt(in, pos).length;
                    });
}

}  // namespace platform
