// Print #: lines are gathered in memory and written in large pieces; close()
// writes the rest and reports a failed write.
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace platform {
namespace {
constexpr std::size_t kFlushSize = 64 * 1024;
}

struct TextWriter::Impl {
  env::OutputFile file;
  std::string pending;
  Impl(const std::string& path, bool exclusive) : file(path, exclusive) {}
};

TextWriter::TextWriter(std::string_view path, Mode mode)
    : impl_(std::make_unique<Impl>(nativePath(path), mode == Mode::CreateNew)) {}

TextWriter::~TextWriter() {
  try {
    close();
  } catch (const Error&) {
    // A destructor cannot report; callers that care call close() themselves.
  }
}

void TextWriter::writeLine(std::string_view text) {
  if (!impl_->file.isOpen()) throw makeError(err::kBadFileName);
  appendTextLine(impl_->pending, text);
  if (impl_->pending.size() >= kFlushSize) {
    impl_->file.write(impl_->pending);
    impl_->pending.clear();
  }
}

void TextWriter::close() {
  if (!impl_->file.isOpen()) return;
  std::string rest;
  rest.swap(impl_->pending);
  try {
    impl_->file.write(rest);
  } catch (...) {
    try {
      impl_->file.close();
    } catch (...) {
    }
    throw;
  }
  impl_->file.close();
}

}  // namespace platform
