// The VFS that copes with a file server's client: a delete refused for a
// moment, a journal seen after it is gone. A test VFS over the system's plays
// the client; the same statements fail over it alone and pass through the
// patient VFS.
#include "hostdb/sqlite/patient_vfs.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/test_support.h"

namespace {

// What the test client does wrong, and how often it did.
struct ClientHabits {
  int refuseDeletes = 0;      // deletes refused before one succeeds
  bool ghostJournal = false;  // a missing journal is said to exist
  bool staleEntry = false;    // a missing journal is opened, not made, unless exclusively
  int lastError = 0;
  int deletesRefused = 0;
};
ClientHabits habits;
sqlite3_vfs* systemVfs = nullptr;

bool isJournal(std::string_view path) {
  return path.size() > 8 && path.substr(path.size() - 8) == "-journal";
}

int clientDelete(sqlite3_vfs*, const char* path, int syncDir) {
  if (isJournal(path) && habits.deletesRefused < habits.refuseDeletes) {
    ++habits.deletesRefused;
    return SQLITE_IOERR_DELETE;
  }
  return systemVfs->xDelete(systemVfs, path, syncDir);
}

int clientAccess(sqlite3_vfs*, const char* path, int flags, int* exists) {
  const int rc = systemVfs->xAccess(systemVfs, path, flags, exists);
  if (rc == SQLITE_OK && habits.ghostJournal && isJournal(path)) *exists = 1;
  return rc;
}

int clientOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  if (habits.staleEntry && name && isJournal(name) && !(flags & SQLITE_OPEN_EXCLUSIVE) &&
      !std::filesystem::exists(name)) {
    file->pMethods = nullptr;
    habits.lastError = 2;  // no such file
    return SQLITE_CANTOPEN;
  }
  const int rc = systemVfs->xOpen(systemVfs, name, file, flags, outFlags);
  habits.lastError = rc == SQLITE_OK ? 0 : systemVfs->xGetLastError(systemVfs, 0, nullptr);
  return rc;
}

int clientLastError(sqlite3_vfs*, int, char*) { return habits.lastError; }

class PatientVfsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    habits = ClientHabits{};
    systemVfs = sqlite3_vfs_find(nullptr);
    client_ = *systemVfs;
    client_.zName = "zel-test-client";
    client_.xDelete = clientDelete;
    client_.xAccess = clientAccess;
    client_.xOpen = clientOpen;
    client_.xGetLastError = clientLastError;
    ASSERT_EQ(sqlite3_vfs_register(&client_, 0), SQLITE_OK);
    patient_ = hostdb::sqlite::patientVfsOver(&client_);
    patient_.zName = "zel-test-patient";
    ASSERT_EQ(sqlite3_vfs_register(&patient_, 0), SQLITE_OK);
    file_ = dir_ / "host.db";
  }
  void TearDown() override {
    sqlite3_vfs_unregister(&patient_);
    sqlite3_vfs_unregister(&client_);
  }

  // The result of making a table and adding a row in a rollback journal,
  // through the VFS `vfs`.
  int writeThrough(const char* vfs) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, vfs);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
      rc = sqlite3_exec(db, "CREATE TABLE IF NOT EXISTS t(a); INSERT INTO t VALUES (1)", nullptr,
                        nullptr, nullptr);
    if (rc != SQLITE_OK) rc = sqlite3_extended_errcode(db);
    sqlite3_close(db);
    return rc;
  }

  testsupport::TempDir dir_;
  sqlite3_vfs client_{};
  sqlite3_vfs patient_{};
  std::string file_;
};

TEST_F(PatientVfsTest, ADeleteRefusedForAMomentIsTriedAgain) {
  habits.refuseDeletes = 3;
  EXPECT_EQ(writeThrough("zel-test-client"), SQLITE_IOERR_DELETE);
  habits.deletesRefused = 0;
  EXPECT_EQ(writeThrough("zel-test-patient"), SQLITE_OK);
  EXPECT_EQ(habits.deletesRefused, 3);
  EXPECT_FALSE(std::filesystem::exists(file_ + "-journal"));
}

TEST_F(PatientVfsTest, ADeleteRefusedForGoodStillFailsTheCommit) {
  habits.refuseDeletes = 1 << 20;
  EXPECT_EQ(writeThrough("zel-test-patient"), SQLITE_IOERR_DELETE);
  EXPECT_GT(habits.deletesRefused, 3);
}

TEST_F(PatientVfsTest, AJournalTheClientStillKeepsAnEntryOfIsMadeExclusively) {
  habits.staleEntry = true;
  EXPECT_EQ(writeThrough("zel-test-client"), SQLITE_CANTOPEN);
  EXPECT_EQ(writeThrough("zel-test-patient"), SQLITE_OK);
  EXPECT_FALSE(std::filesystem::exists(file_ + "-journal"));
}

TEST_F(PatientVfsTest, AJournalSeenAfterItIsGoneIsNotTakenForAHotOne) {
  ASSERT_EQ(writeThrough("zel-test-client"), SQLITE_OK);
  habits.ghostJournal = true;
  EXPECT_NE(writeThrough("zel-test-client"), SQLITE_OK);
  EXPECT_EQ(writeThrough("zel-test-patient"), SQLITE_OK);
}

}  // namespace
