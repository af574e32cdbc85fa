// The lock that lets one run at a time write a host, as the host's engine
// gives it: for a host in a file, the folder beside it (run_lock.h); for a
// host on a database server, what the server gives.
#pragma once

namespace hostdb {

// What a run does with the host while it holds the lock: a run that changes
// the schema (formsetup's tables) needs the host to itself; runs that read
// and write rows may share it where the engine keeps their writes apart.
enum class HostWork { Rows, Schema };

class HostLock {
 public:
  virtual ~HostLock() = default;

  // Takes the lock, waiting for another run to give it back; raises 516
  // (naming the holder) when it is still held after the wait, or the error
  // that kept it from being taken.
  virtual void take() = 0;
  // Gives the lock back when this run holds it.
  virtual void giveBack() noexcept = 0;
  virtual bool held() const = 0;
};

}  // namespace hostdb
