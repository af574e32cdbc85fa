#include "hostdb/sqlite/patient_vfs.h"

#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <string_view>

namespace hostdb::sqlite {
namespace {

sqlite3_vfs* baseOf(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

bool isJournal(const char* path) {
  constexpr std::string_view kSuffix = "-journal";
  const std::string_view name(path);
  return name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix;
}

// Waits between tries grow from 10 ms to 200 ms: a client gives a closed file
// back within milliseconds, and a delete that will never succeed must not
// hold the commit long.
int deleteFile(sqlite3_vfs* vfs, const char* path, int syncDir) {
  sqlite3_vfs* base = baseOf(vfs);
  int waitedMs = 0;
  int nextWaitMs = 10;
  for (;;) {
    const int rc = base->xDelete(base, path, syncDir);
    if ((rc & 0xff) != SQLITE_IOERR || rc == SQLITE_IOERR_DELETE_NOENT) return rc;
    if (waitedMs >= kDeleteRetryMs) return rc;
    base->xSleep(base, nextWaitMs * 1000);
    waitedMs += nextWaitMs;
    nextWaitMs = nextWaitMs * 2 > 200 ? 200 : nextWaitMs * 2;
  }
}

// The system's code for a file that is not there: ENOENT on POSIX systems,
// ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND on Windows.
bool isNotFound(int systemCode) { return systemCode == 2 || systemCode == 3; }

// A journal the base says exists, opened to make sure: a client's cached
// entry may outlive the file by a second. Only an open that finds no file
// makes it gone; a journal that is there but cannot be opened is still
// there, for SQLite to meet and report.
int access(sqlite3_vfs* vfs, const char* path, int flags, int* exists) {
  sqlite3_vfs* base = baseOf(vfs);
  const int rc = base->xAccess(base, path, flags, exists);
  if (rc != SQLITE_OK || flags != SQLITE_ACCESS_EXISTS || !*exists || !isJournal(path)) return rc;
  std::unique_ptr<char[]> storage(new (std::nothrow) char[base->szOsFile]());
  if (!storage || !base->xGetLastError) return SQLITE_OK;  // the base's answer stands
  auto* file = reinterpret_cast<sqlite3_file*>(storage.get());
  int outFlags = 0;
  const int opened =
      base->xOpen(base, path, file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_JOURNAL, &outFlags);
  const int systemCode = opened == SQLITE_OK ? 0 : base->xGetLastError(base, 0, nullptr);
  if (file->pMethods) file->pMethods->xClose(file);
  if (opened != SQLITE_OK && isNotFound(systemCode)) *exists = 0;
  return SQLITE_OK;
}

// A journal made anew where the client still keeps the entry of one another
// computer deleted: the client opens what it knows, and the server has no
// such file. Asked again to make it exclusively, the client must ask the
// server (a FUSE client looks the name up afresh), which makes it. Should
// the exclusive open fail too, the first failure is the one reported.
int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  sqlite3_vfs* base = baseOf(vfs);
  const int rc = base->xOpen(base, name, file, flags, outFlags);
  const int makesJournal = SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_CREATE;
  if (rc != SQLITE_CANTOPEN || (flags & makesJournal) != makesJournal ||
      (flags & SQLITE_OPEN_EXCLUSIVE) || !base->xGetLastError ||
      !isNotFound(base->xGetLastError(base, 0, nullptr))) {
    return rc;
  }
  return base->xOpen(base, name, file, flags | SQLITE_OPEN_EXCLUSIVE, outFlags) == SQLITE_OK ? SQLITE_OK
                                                                                             : rc;
}

// Everything else is the base's, called with the base itself: the system
// VFSes keep their own state in it.
int fullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  return baseOf(vfs)->xFullPathname(baseOf(vfs), name, size, out);
}
void* dlOpen(sqlite3_vfs* vfs, const char* name) { return baseOf(vfs)->xDlOpen(baseOf(vfs), name); }
void dlError(sqlite3_vfs* vfs, int size, char* out) { baseOf(vfs)->xDlError(baseOf(vfs), size, out); }
void (*dlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
  return baseOf(vfs)->xDlSym(baseOf(vfs), handle, symbol);
}
void dlClose(sqlite3_vfs* vfs, void* handle) { baseOf(vfs)->xDlClose(baseOf(vfs), handle); }
int randomness(sqlite3_vfs* vfs, int size, char* out) {
  return baseOf(vfs)->xRandomness(baseOf(vfs), size, out);
}
int sleepFor(sqlite3_vfs* vfs, int micros) { return baseOf(vfs)->xSleep(baseOf(vfs), micros); }
int currentTime(sqlite3_vfs* vfs, double* now) {
  return baseOf(vfs)->xCurrentTime(baseOf(vfs), now);
}
int lastError(sqlite3_vfs* vfs, int size, char* out) {
  return baseOf(vfs)->xGetLastError(baseOf(vfs), size, out);
}
int currentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
  return baseOf(vfs)->xCurrentTimeInt64(baseOf(vfs), now);
}
int setSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call) {
  return baseOf(vfs)->xSetSystemCall(baseOf(vfs), name, call);
}
sqlite3_syscall_ptr getSystemCall(sqlite3_vfs* vfs, const char* name) {
  return baseOf(vfs)->xGetSystemCall(baseOf(vfs), name);
}
const char* nextSystemCall(sqlite3_vfs* vfs, const char* name) {
  return baseOf(vfs)->xNextSystemCall(baseOf(vfs), name);
}

}  // namespace

sqlite3_vfs patientVfsOver(sqlite3_vfs* base) {
  sqlite3_vfs vfs{};
  // Version 3 at most: members a later version adds are not known here.
  vfs.iVersion = base->iVersion < 3 ? base->iVersion : 3;
  vfs.szOsFile = base->szOsFile;
  vfs.mxPathname = base->mxPathname;
  vfs.zName = kPatientVfsName;
  vfs.pAppData = base;
  vfs.xOpen = open;
  vfs.xDelete = deleteFile;
  vfs.xAccess = access;
  vfs.xFullPathname = fullPathname;
  vfs.xDlOpen = base->xDlOpen ? dlOpen : nullptr;
  vfs.xDlError = base->xDlError ? dlError : nullptr;
  vfs.xDlSym = base->xDlSym ? dlSym : nullptr;
  vfs.xDlClose = base->xDlClose ? dlClose : nullptr;
  vfs.xRandomness = randomness;
  vfs.xSleep = sleepFor;
  vfs.xCurrentTime = currentTime;
  vfs.xGetLastError = base->xGetLastError ? lastError : nullptr;
  if (vfs.iVersion >= 2) vfs.xCurrentTimeInt64 = base->xCurrentTimeInt64 ? currentTimeInt64 : nullptr;
  if (vfs.iVersion >= 3) {
    vfs.xSetSystemCall = base->xSetSystemCall ? setSystemCall : nullptr;
    vfs.xGetSystemCall = base->xGetSystemCall ? getSystemCall : nullptr;
    vfs.xNextSystemCall = base->xNextSystemCall ? nextSystemCall : nullptr;
  }
  return vfs;
}

void installPatientVfs() {
  // Made over the default VFS of the moment, and made the default, once.
  static sqlite3_vfs vfs = patientVfsOver(sqlite3_vfs_find(nullptr));
  static const int registered = sqlite3_vfs_register(&vfs, 1);
  (void)registered;
}

}  // namespace hostdb::sqlite
