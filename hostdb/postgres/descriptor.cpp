#include "hostdb/postgres/descriptor.h"

#include <libpq-fe.h>

#include <memory>
#include <optional>

#include "hostdb/engine_error.h"

namespace hostdb::postgres {
namespace {

// Keywords whose value is a secret: a descriptor lies in a shared folder
// that every PC of the office reads.
constexpr std::string_view kSecretKeywords[] = {"password", "sslpassword"};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The one line of text `content` holds, without what surrounds it; nullopt
// (with `why`) when it is not one line of text.
std::optional<std::string_view> oneLine(std::string_view content, std::string& why) {
  if (content.size() > kMostDescriptorBytes) {
    why = "larger than a descriptor";
    return std::nullopt;
  }
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
  while (!content.empty() && isBlank(content.front())) content.remove_prefix(1);
  while (!content.empty() && isBlank(content.back())) content.remove_suffix(1);
  if (content.empty()) {
    why = "empty";
    return std::nullopt;
  }
  for (const char c : content) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
      why = "more than one line";
      return std::nullopt;
    }
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
      why = "not text";
      return std::nullopt;
    }
  }
  return content;
}

struct OptionsFree {
  void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsFree>;

struct Parsed {
  Options options;
  std::string error;  // libpq's words when it did not parse
};

Parsed parse(std::string_view line) {
  char* message = nullptr;
  Parsed parsed{Options(PQconninfoParse(std::string(line).c_str(), &message)), {}};
  if (message) {
    parsed.error = message;
    PQfreemem(message);
  }
  if (!parsed.options && parsed.error.empty()) parsed.error = "out of memory";
  while (!parsed.error.empty() && isBlank(parsed.error.back())) parsed.error.pop_back();
  return parsed;
}

bool isSet(const PQconninfoOption& option) { return option.val != nullptr && *option.val != '\0'; }

bool namesDatabase(const PQconninfoOption* options) {
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    const std::string_view keyword = o->keyword;
    if ((keyword == "dbname" || keyword == "service") && isSet(*o)) return true;
  }
  return false;
}

const char* secretKeyword(const PQconninfoOption* options) {
  for (const PQconninfoOption* o = options; o->keyword; ++o)
    for (const std::string_view secret : kSecretKeywords)
      if (secret == o->keyword && o->val != nullptr) return o->keyword;
  return nullptr;
}

[[noreturn]] void refuse(std::string_view file, std::string_view why) {
  std::string cause = "server host descriptor ";
  cause.append(file).append(": ").append(why);
  raise(err::kUnrecognizedFormat, {file}, std::move(cause));
}

}  // namespace

bool isDescriptor(std::string_view content) {
  std::string why;
  const std::optional<std::string_view> line = oneLine(content, why);
  if (!line) return false;
  const Parsed parsed = parse(*line);
  return parsed.options && namesDatabase(parsed.options.get());
}

std::string parseDescriptor(std::string_view content, std::string_view file) {
  std::string why;
  const std::optional<std::string_view> line = oneLine(content, why);
  if (!line) refuse(file, why);
  const Parsed parsed = parse(*line);
  if (!parsed.options) refuse(file, "libpq: " + parsed.error);
  if (!namesDatabase(parsed.options.get())) refuse(file, "names neither dbname nor service");
  if (const char* secret = secretKeyword(parsed.options.get()))
    refuse(file, std::string("holds a password (") + secret +
                     "); a password comes from the PC: ~/.pgpass, a service file or a client "
                     "certificate");
  return std::string(*line);
}

}  // namespace hostdb::postgres
