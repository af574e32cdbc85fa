// The workgroup file: the accounts that may log on, and the identity that each
// database made under it records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hostdb {

struct Account {
  std::string user;
  std::string password;
};

// Writes a new workgroup file at `path` (replacing none: raises kDatabaseExists when it
// exists) with a fresh identity and the given accounts, each password kept only
// as a libsodium crypto_pwhash string.
void createWorkgroupFile(std::string_view path, const std::vector<Account>& accounts);

class Workgroup {
 public:
  // Reads the file; kWorkgroupUnavailable when it is missing, unreadable or not a workgroup file.
  static Workgroup load(std::string_view path);

  const std::string& identity() const { return identity_; }
  // True when `user` (without regard to case) has an account whose password
  // (case counts) is `password`.
  bool verify(std::string_view user, std::string_view password) const;

 private:
  struct Entry {
    std::string user;
    std::string hash;
  };
  std::string identity_;
  std::vector<Entry> entries_;
};

// Logs `user` on with `password` against the workgroup file `path`, as a
// workspace does before its first database: the workgroup's identity, which
// a database made under it records; kWorkgroupUnavailable for no readable
// workgroup file, kNotValidAccount for no such account or a wrong password.
std::string logOn(std::string_view path, std::string_view user, std::string_view password);

}  // namespace hostdb
