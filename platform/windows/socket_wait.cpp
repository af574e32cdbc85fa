// select() on one Winsock socket. Not WSAPoll: before Windows 10 2004 it
// never reports a connect() that failed, and a refused connection would wait
// out the whole timeout; select() reports one in its exception set.
#include "platform/socket_wait.h"

#include <winsock2.h>

namespace platform {

SocketState waitForSocket(int socket, bool forWrite, int timeoutMs) {
  if (socket < 0) return SocketState::Failed;
  const auto handle = static_cast<SOCKET>(socket);
  fd_set wanted;
  fd_set failed;
  FD_ZERO(&wanted);
  FD_ZERO(&failed);
  FD_SET(handle, &wanted);
  FD_SET(handle, &failed);
  timeval limit{};
  limit.tv_sec = timeoutMs / 1000;
  limit.tv_usec = (timeoutMs % 1000) * 1000;
  // The first argument is ignored by Winsock; a signal never interrupts it.
  const int n = ::select(0, forWrite ? nullptr : &wanted, forWrite ? &wanted : nullptr, &failed,
                         timeoutMs < 0 ? nullptr : &limit);
  if (n == SOCKET_ERROR) return SocketState::Failed;
  if (n == 0) return SocketState::TimedOut;
  // A failed connect shows in the exception set only: the caller's library
  // reads the error itself on its next call, as it would after a ready write.
  return SocketState::Ready;
}

}  // namespace platform
