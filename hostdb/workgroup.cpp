#include "hostdb/workgroup.h"

#include <sodium.h>

#include <sstream>

#include "hostdb/engine_error.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace hostdb {
namespace {

// File layout, one item a line (LF):
//   ZEL-WORKGROUP 1
//   identity <32 hex digits>
//   account<TAB><user name><TAB><crypto_pwhash string>
constexpr std::string_view kMagic = "ZEL-WORKGROUP 1";
constexpr std::string_view kIdentityKey = "identity ";
constexpr std::string_view kAccountKey = "account\t";

// Argon2id at its minimum time cost with 1 MiB: a log-on costs about a
// millisecond. The account is compiled into the programs, so the hash does not
// have to resist a determined attacker; it only keeps the password from being
// read off the file. The installer and the report log on at every run and must
// stay fast, and the tests create many workgroups.
constexpr unsigned long long kOpsLimit = crypto_pwhash_OPSLIMIT_MIN;
constexpr std::size_t kMemLimit = 1024u * 1024u;

void initSodium() {
  if (sodium_init() < 0) raise(err::kWorkgroupUnavailable);
}

bool sameUser(std::string_view a, std::string_view b) {
  return platform::upperCase(a) == platform::upperCase(b);
}

std::string newIdentity() {
  unsigned char bytes[16];
  randombytes_buf(bytes, sizeof bytes);
  char hex[sizeof bytes * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
  return hex;
}

bool isIdentity(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text) {
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!hex) return false;
  }
  return true;
}

}  // namespace

void createWorkgroupFile(std::string_view path, const std::vector<Account>& accounts) {
  initSodium();
  const std::string native = platform::nativePath(path);
  if (platform::fileExists(native)) raise(err::kDatabaseExists);

  std::string text = std::string(kMagic) + "\n" + std::string(kIdentityKey) + newIdentity() + "\n";
  for (const Account& account : accounts) {
    if (account.user.empty() || account.user.find_first_of("\t\n\r") != std::string::npos) {
      raise(err::kArgumentNotValid);
    }
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, account.password.data(), account.password.size(), kOpsLimit,
                          kMemLimit) != 0) {
      raise(platform::err::kOutOfMemory);  // out of memory is the only way it fails
    }
    text += std::string(kAccountKey) + account.user + "\t" + hash + "\n";
  }
  platform::writeFileAtomically(native, text);
}

Workgroup Workgroup::load(std::string_view path) {
  initSodium();
  std::string text;
  try {
    text = platform::readFileBytes(path);
  } catch (const platform::Error& e) {
    // A file that cannot be reached is no missing one: the connection is told.
    if (e.number() == platform::err::kConnectionLost) throw;
    // Missing or unreadable: no workgroup to log on with.
    raise(err::kWorkgroupUnavailable, {}, e.cause());
  }
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) raise(err::kWorkgroupUnavailable);

  Workgroup workgroup;
  while (std::getline(in, line)) {
    if (line.rfind(kIdentityKey, 0) == 0) {
      workgroup.identity_ = line.substr(kIdentityKey.size());
    } else if (line.rfind(kAccountKey, 0) == 0) {
      std::string rest = line.substr(kAccountKey.size());
      std::size_t tab = rest.find('\t');
      if (tab == std::string::npos || tab == 0) raise(err::kWorkgroupUnavailable);
      workgroup.entries_.push_back({rest.substr(0, tab), rest.substr(tab + 1)});
    } else if (!line.empty()) {
      raise(err::kWorkgroupUnavailable);
    }
  }
  if (!isIdentity(workgroup.identity_)) raise(err::kWorkgroupUnavailable);
  return workgroup;
}

bool Workgroup::verify(std::string_view user, std::string_view password) const {
  for (const Entry& entry : entries_) {
    if (!sameUser(entry.user, user)) continue;
    if (crypto_pwhash_str_verify(entry.hash.c_str(), password.data(), password.size()) == 0) {
      return true;
    }
  }
  return false;
}

std::string logOn(std::string_view path, std::string_view user, std::string_view password) {
  const Workgroup workgroup = Workgroup::load(path);
  if (!workgroup.verify(user, password)) raise(err::kNotValidAccount);
  return workgroup.identity();
}

}  // namespace hostdb
