#include "hostdb/postgres/pg_names.h"

#include "hostdb/engine_error.h"
#include "platform/utf8.h"

namespace hostdb::postgres {

std::string canonicalName(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const platform::utf8::Decoded d = platform::utf8::decodeAt(name, i);
    if (d.codePoint == platform::utf8::kInvalid) out += name[i];
    else platform::utf8::append(out, platform::utf8::toLower(d.codePoint));
    i += d.length;
  }
  return out;
}

std::string quoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : canonicalName(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

void requireValidName(std::string_view name) {
  const std::string form = canonicalName(name);
  if (form.empty() || form.size() > kMaxNameBytes) raise(err::kNotValidName, {name});
}

std::string primaryKeyIndexName(const jet::TableSchema& table) {
  return canonicalName(table.name) + " " + canonicalName(table.primaryKeyName);
}

}  // namespace hostdb::postgres
