#include "hostdb/jet/row_digest.h"

#include <sodium.h>

#include <algorithm>
#include <cstdio>

#include "hostdb/engine_error.h"

namespace hostdb::jet {

std::vector<std::size_t> digestOrder(const TableSchema& table) {
  std::vector<std::size_t> order;
  auto indexOf = [&](std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
      if (sameName(table.columns[i].name, name)) return i;
    return table.columns.size();
  };
  for (const std::string& key : table.primaryKeyColumns) {
    const std::size_t i = indexOf(key);
    if (i < table.columns.size()) order.push_back(i);
  }
  for (std::size_t i = 0; i < table.columns.size(); ++i)
    if (std::find(order.begin(), order.end(), i) == order.end()) order.push_back(i);
  return order;
}

std::string canonicalDouble(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

struct RowDigest::State {
  crypto_hash_sha256_state sha;
};

RowDigest::RowDigest() : state_(std::make_unique<State>()) {
  if (sodium_init() < 0) raise(err::kReservedError, {"sodium_init"}, "libsodium cannot start");
  crypto_hash_sha256_init(&state_->sha);
}

RowDigest::~RowDigest() = default;

void RowDigest::add(const CanonicalRow& row) {
  std::string framed = "R";
  for (const CanonicalValue& value : row) {
    if (!value) {
      framed += 'N';
      continue;
    }
    framed += 'V';
    framed += std::to_string(value->size());
    framed += ':';
    framed += *value;
  }
  crypto_hash_sha256_update(&state_->sha, reinterpret_cast<const unsigned char*>(framed.data()),
                            framed.size());
  ++rows_;
}

TableDigest RowDigest::finish() {
  unsigned char hash[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&state_->sha, hash);
  char hex[crypto_hash_sha256_BYTES * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
  return {rows_, hex};
}

}  // namespace hostdb::jet
