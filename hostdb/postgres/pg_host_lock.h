// A server host's run lock: a session advisory lock (pg_lock_keys.h) on a
// connection of its own. A run that changes the schema holds it alone;
// runs that change rows hold it shared, their numbering kept safe by the
// transaction lock of BeginTrans instead, so that many of them run at once
// and none runs while the schema changes. The server lets a lock go with
// its session: a killed run, or one cut off from the network, leaves no lock
// behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "hostdb/host_lock.h"
#include "hostdb/postgres/pg_connection.h"

namespace hostdb::postgres {

// This process's hold of the host at `path` alone (a run that changes the
// schema): a number that changes with every take, 0 while it is not held
// alone. While it stays the same no other client changes the host's
// tables, so what a session read of them stays true.
std::uint64_t schemaHold(std::string_view path);

class PgHostLock final : public HostLock {
 public:
  // How often take() asks again while another run holds the lock.
  static constexpr int kRetryMilliseconds = 100;
  // How long giving the lock back waits for the server's answer.
  static constexpr std::chrono::milliseconds kGiveBackPatience{1000};

  // The lock of the host whose descriptor is at `path`, not taken.
  PgHostLock(std::string path, HostWork work);

  // Connects at first use; waits as long as the folder lock does
  // (runLockWait()), then raises 516 naming the holder (program@machine,
  // its server process, since when and its last activity).
  void take() override;
  void giveBack() noexcept override;
  bool held() const override { return held_; }

 private:
  [[noreturn]] void raiseInUse();

  std::string path_;
  HostWork work_;
  std::optional<PgConnection> connection_;
  bool held_ = false;
};

}  // namespace hostdb::postgres
