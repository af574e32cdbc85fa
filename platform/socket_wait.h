// Waiting on a socket that a client library opened and drives with its own
// non-blocking calls (a database server's connection being made): the one
// call such a loop needs from the operating system.
#pragma once

namespace platform {

enum class SocketState { Ready, TimedOut, Failed };

// Waits until `socket` can be read (or, with `forWrite`, written), at most
// `timeoutMs` milliseconds (a negative timeout: no limit). A signal that
// interrupts the wait does not end it. Failed: the socket cannot be waited
// on (not open). On Windows `socket` is a Winsock SOCKET, as a client
// library hands it out in an int.
SocketState waitForSocket(int socket, bool forWrite, int timeoutMs);

}  // namespace platform
