// What the tests take from <sys/socket.h>, on Winsock: shutdown() with the
// POSIX names of its three ways (the same values as SD_RECEIVE, SD_SEND and
// SD_BOTH).
#pragma once

#include <winsock2.h>

#ifndef SHUT_RD
#define SHUT_RD SD_RECEIVE
#define SHUT_WR SD_SEND
#define SHUT_RDWR SD_BOTH
#endif
