// The databases open in one workspace, of one engine's kind: each tells the
// workspace as it opens and closes, so that the workspace's transactions
// cover it.
#pragma once

#include <algorithm>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/finish_each.h"

namespace hostdb {

template <typename Db>
class OpenDatabases {
 public:
  void databaseOpened(Db& db) {
    if (std::find(open_.begin(), open_.end(), &db) == open_.end()) open_.push_back(&db);
  }
  void databaseClosed(Db& db) { std::erase(open_, &db); }
  const std::vector<Db*>& all() const { return open_; }

  // Begins the workspace's transaction on every open database; when one
  // cannot begin, those begun are rolled back and the failure goes on.
  void beginAll() const {
    std::vector<Db*> begun;
    try {
      for (Db* db : open_) {
        db->beginTransaction();
        begun.push_back(db);
      }
    } catch (...) {
      for (Db* db : begun) {
        try {
          db->rollbackTransaction();
        } catch (const EngineError&) {
          // The failure to begin is the one to report.
        }
      }
      throw;
    }
  }

  // Ends the workspace's transaction with `step` on every open database,
  // even when one of them fails; the first failure is raised afterwards.
  void finishAll(void (Db::*step)()) const {
    const std::vector<Db*> all = open_;  // a step may close its database
    finishEach(all, [step](Db* db) { (db->*step)(); });
  }

 private:
  std::vector<Db*> open_;
};

}  // namespace hostdb
