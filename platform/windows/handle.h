// A Win32 handle owned by one object, and a file open for writing through one.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/env.h"

namespace platform::windows {

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE release() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (valid()) ::CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_;
};

// Writes all of `bytes`; raises the error that fits a failed write on `path`.
void writeAll(HANDLE file, std::string_view bytes, const std::string& path);

// A handle open for writing, closed with the object.
class HandleFile final : public env::WritableFile {
 public:
  HandleFile(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
  void append(std::string_view bytes) override;
  void sync() override;
  void close() override;

 private:
  Handle file_;
  std::string path_;
};

}  // namespace platform::windows
