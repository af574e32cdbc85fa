// Line Input #: the file is read whole when opened (the programs' text files
// are small) and cut into lines on demand.
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace platform {

struct TextReader::Impl {
  std::string bytes;
  std::size_t pos = 0;
  bool open = true;
};

TextReader::TextReader(std::string_view path)
    : impl_(std::make_unique<Impl>(Impl{env::readFile(nativePath(path)), 0, true})) {}

TextReader::~TextReader() = default;

bool TextReader::atEnd() const { return !impl_->open || impl_->pos >= impl_->bytes.size(); }

std::string TextReader::readLine() {
  if (!impl_->open) throw makeError(err::kBadFileName);
  if (atEnd()) throw makeError(err::kInputPastEnd);
  const std::string& bytes = impl_->bytes;
  const std::size_t start = impl_->pos;
  // A line ends at CR (alone or followed by LF); an LF on its own is text.
  std::size_t end = bytes.find('\r', start);
  if (end == std::string::npos) {
    end = bytes.size();
    impl_->pos = end;
  } else {
    impl_->pos = end + 1;
    if (impl_->pos < bytes.size() && bytes[impl_->pos] == '\n') ++impl_->pos;
  }
  return fromAnsi(std::string_view(bytes).substr(start, end - start));
}

void TextReader::close() {
  impl_->open = false;
  impl_->bytes.clear();
}

}  // namespace platform
