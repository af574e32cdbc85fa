// A held run lock showing that its run is alive: a thread that rewrites a
// small file inside the lock folder every few seconds, so that the file
// server stamps it with its own clock. Another computer takes a lock over
// once that stamp is older than RunLock::kStaleAfter.
//
// The thread uses the Env given, captured when the lock was taken, and
// stops, joined, when the object goes. It renews only while the owner file
// still holds what this run wrote: a lock taken over from a run that was
// stopped for too long is its new owner's.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/env.h"

namespace hostdb {

class RunLockRenewal {
 public:
  // Starts renewing `alivePath` every `every`; raises std::system_error
  // when no thread can be started.
  RunLockRenewal(platform::env::Env& env, std::string alivePath, std::string ownerPath,
                 std::string ownerText, std::chrono::milliseconds every);
  ~RunLockRenewal();
  RunLockRenewal(const RunLockRenewal&) = delete;
  RunLockRenewal& operator=(const RunLockRenewal&) = delete;

  // The text a renewal writes: one line, the renewal's number.
  static std::string aliveText(long long count);

 private:
  void run() noexcept;
  bool renew(long long count) noexcept;

  platform::env::Env& env_;
  const std::string alivePath_;
  const std::string ownerPath_;
  const std::string ownerText_;
  const std::chrono::milliseconds every_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;  // last: started once everything above is set
};

}  // namespace hostdb
