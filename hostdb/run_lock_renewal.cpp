#include "hostdb/run_lock_renewal.h"

#include "platform/errors.h"

namespace hostdb {

RunLockRenewal::RunLockRenewal(platform::env::Env& env, std::string alivePath,
                               std::string ownerPath, std::string ownerText,
                               std::chrono::milliseconds every)
    : env_(env),
      alivePath_(std::move(alivePath)),
      ownerPath_(std::move(ownerPath)),
      ownerText_(std::move(ownerText)),
      every_(every),
      thread_([this] { run(); }) {}

RunLockRenewal::~RunLockRenewal() {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

std::string RunLockRenewal::aliveText(long long count) { return std::to_string(count) + "\n"; }

void RunLockRenewal::run() noexcept {
  std::unique_lock<std::mutex> hold(mutex_);
  for (long long count = 1;; ++count) {
    if (wake_.wait_for(hold, every_, [this] { return stopping_; })) return;
    hold.unlock();
    const bool ours = renew(count);
    hold.lock();
    if (!ours) return;
  }
}

// False once the lock is no longer this run's; a renewal that fails (a file
// server out of reach) is tried again at the next turn.
bool RunLockRenewal::renew(long long count) noexcept {
  try {
    if (env_.readFile(ownerPath_) != ownerText_) return false;
    std::unique_ptr<platform::env::WritableFile> file = env_.newFile(alivePath_, false);
    // Written, not only touched: the server stamps a write with its own
    // clock, where a client may set a touched file's time by its own.
    file->append(aliveText(count));
    file->close();
  } catch (const platform::Error&) {
    // The owner file or the folder out of reach: another turn will tell.
  } catch (...) {
    // Nothing may leave the thread.
  }
  return true;
}

}  // namespace hostdb
