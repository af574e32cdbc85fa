// poll(2) on one socket, retried after a signal with what is left of the time.
#include "platform/socket_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace platform {

SocketState waitForSocket(int socket, bool forWrite, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  pollfd entry{};
  entry.fd = socket;
  entry.events = static_cast<short>(forWrite ? POLLOUT : POLLIN);
  for (int left = timeoutMs;;) {
    entry.revents = 0;
    const int n = ::poll(&entry, 1, left);
    if (n > 0) return (entry.revents & POLLNVAL) ? SocketState::Failed : SocketState::Ready;
    if (n == 0) return SocketState::TimedOut;
    if (errno != EINTR) return SocketState::Failed;
    if (timeoutMs >= 0) {
      const auto rest =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (rest <= 0) return SocketState::TimedOut;
      left = static_cast<int>(rest);
    }
  }
}

}  // namespace platform
