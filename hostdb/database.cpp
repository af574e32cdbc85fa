#include "hostdb/database.h"

namespace hostdb {

void releaseDatabase(std::unique_ptr<Database>& db) noexcept {
  if (db) {
    try {
      db->Close();
    } catch (...) {
      // A database that fails to close is released all the same.
    }
  }
  db.reset();
}

}  // namespace hostdb
