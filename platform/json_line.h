// Building one line of JSON: an object of string members, in the order added.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` as a JSON string literal: '"', '\' and control characters escaped
// (LF as \n, CR as \r, tab as \t, others as \u00XX); everything else,
// non-ASCII included, as it is.
std::string jsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view value);
  // The object followed by a line feed.
  std::string line() const { return text_ + "}\n"; }

 private:
  std::string text_ = "{";
};

}  // namespace platform
