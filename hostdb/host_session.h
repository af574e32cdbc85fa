// What both programs hold for the length of a run: the engine, its default
// workspace, the host database open through it and the host's run lock, the
// HostLock that the engine of the host's path gives (for a file host, the
// folder lock of run_lock.h). One
// per process, so that a reader finds it at once and a test can start from a
// clean state with hostSession().reset().
//
// The run lock is taken before the database opens and given back when it
// closes, and also before every message box, so that no person keeps other
// runs waiting: the next use of the database takes it again.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "hostdb/dbengine.h"
#include "hostdb/host_lock.h"
#include "platform/errors.h"

namespace hostdb {

class HostSession {
 public:
  // The engine, created on first use.
  DBEngine& engine();
  // Its default workspace.
  Workspace& workspace() { return engine().Workspaces(0); }

  HostSession() = default;
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;
  ~HostSession();

  // Takes the host's run lock (raising 516 when another run keeps it), logs
  // on to the workgroup file `systemDb` with the build's workgroup account
  // and opens the database at `path`, shared and writable, through the
  // default workspace. `work` says what the run does with the host, for the
  // engine's lock (host_lock.h). Raises what the engine raises; nothing is
  // open and the lock is given back then.
  void open(const std::string& systemDb, const std::string& path,
            HostWork work = HostWork::Rows);

  bool isOpen() const { return database_ != nullptr; }
  // Whether the open database is on a server (every use a round trip):
  // asked without using it, so that nothing held is sent for the answer.
  bool isRemote() const { return database_ && database_->isRemote(); }
  // The open database, the run lock taken again first when a box made the
  // run give it back (raising 516 when another run keeps it); raises 91 when
  // none is open.
  Database& database();

  // From the next use of the database on, the run's statements share one
  // transaction: it is committed before every message box, by
  // commitShared() and when the database closes, and a new one begins at
  // the next use. A run on a file server so pays one synced commit between
  // two boxes rather than one a statement, and a run that ends early leaves
  // whole statements only. A commit that fails before a box is rolled back
  // and raised by the next use of the database, or by closeDatabase.
  void shareTransactions() { sharing_ = true; }
  // Commits the shared transaction when one is open; raises what committing
  // raises, the transaction rolled back then.
  void commitShared();

  // A statement whose outcome only decides what the run does next: held,
  // and sent with the ones held after it, together (a server host: in one
  // round trip), before the database's next use, before any box and before
  // it closes. Then `done` gets the rows it touched, or `failed` its error,
  // each in the statements' order, as right after its statement; `failed`
  // may show a box or end the run (then what is held after it never runs).
  void executeLater(std::string sql, std::function<void(std::int64_t)> done,
                    std::function<void(const platform::Error&)> failed);
  // Runs what executeLater holds, now.
  void settle();

  // Statements to be committed whole or not at all: made after what came
  // before is committed (commitShared), and while one lives a box neither
  // commits nor gives the run lock back. Left through an exception, it
  // rolls its statements back; left otherwise, they are committed by the
  // next box, commitShared() or closeDatabase.
  class KeptTogether {
   public:
    explicit KeptTogether(HostSession& session);
    ~KeptTogether();
    KeptTogether(const KeptTogether&) = delete;
    KeptTogether& operator=(const KeptTogether&) = delete;

   private:
    HostSession& session_;
    int exceptionsBefore_;
  };

  // Makes what was committed durable, closes the database and gives the run
  // lock back; raises what syncing or closing raises. Nothing is open after.
  void closeDatabase();
  // Closes whatever is open, passing over a failure to close, gives the run
  // lock back and forgets the engine and its settings.
  void reset() noexcept;

 private:
  void beforeBox() noexcept;
  struct Later {
    std::string sql;
    std::function<void(std::int64_t)> done;
    std::function<void(const platform::Error&)> failed;
  };
  std::deque<Later> later_;
  bool settling_ = false;
  void raiseLostCommit();
  void rollbackShared() noexcept;
  // Declared first, so that it is given back after the database closes.
  std::unique_ptr<HostLock> lock_;
  std::unique_ptr<DBEngine> engine_;
  std::unique_ptr<Database> database_;
  bool sharing_ = false;
  bool sharedOpen_ = false;
  bool sharingRefused_ = false;
  int together_ = 0;
  std::optional<platform::Error> lostCommit_;  // a commit before a box that failed
};

// Sets `engine` to log on to the workgroup file `systemDb` with the build's
// workgroup account when its default workspace is first used.
void logOnWithBuildAccount(DBEngine& engine, const std::string& systemDb);

// The process's session.
HostSession& hostSession();

// The process's open host database; raises 91 when none is open.
inline Database& hostDatabase() { return hostSession().database(); }

}  // namespace hostdb
