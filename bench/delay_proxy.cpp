// A TCP proxy on the loopback that stands for a slow or failing link
// between the programs and a database server: every chunk it reads is held
// for a delay before it is passed on, each way, so that a round trip costs
// twice the delay. The kernels of these machines have no traffic shaping
// (netem), so the tests and benchmarks make the link themselves.
//
//   delay_proxy --target UNIX_SOCKET|HOST:PORT --delay-ms N [--port P]
//               [--port-file FILE]
//
// It listens on 127.0.0.1 (port P, or one the system picks, written to
// FILE and to standard output) and connects each client to the target.
// Signals: SIGUSR1 cuts the link (bytes are no longer passed on, nothing is
// closed: as a link that went silent); SIGUSR2 mends it; SIGTERM or SIGINT
// ends the proxy, closing every connection. SIGHUP writes the round trips
// carried since the last SIGHUP ("turns": a client's chunk after the server
// answered) to standard error, for benchmarks that count them; so does the
// proxy on its way out.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> gCut{false};
std::atomic<bool> gStop{false};
std::atomic<long> gTurns{0};
std::atomic<bool> gReport{false};

void onSignal(int signal) {
  if (signal == SIGUSR1) gCut = true;
  if (signal == SIGUSR2) gCut = false;
  if (signal == SIGTERM || signal == SIGINT) gStop = true;
  if (signal == SIGHUP) gReport = true;
}

struct Chunk {
  Clock::time_point due;
  std::string bytes;
};

// One direction of one connection: a reader that stamps each chunk with
// the time it may go, and a writer that passes it on then.
class Direction {
 public:
  Direction(int from, int to, std::chrono::milliseconds delay) : from_(from), to_(to), delay_(delay) {}

  void read() {
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(from_, buffer, sizeof buffer);
      if (n <= 0) break;
      std::lock_guard<std::mutex> hold(mutex_);
      queue_.push_back({Clock::now() + delay_, std::string(buffer, static_cast<std::size_t>(n))});
      ++chunks_;
      changed_.notify_one();
    }
    std::lock_guard<std::mutex> hold(mutex_);
    ended_ = true;
    changed_.notify_one();
  }

  void write() {
    for (;;) {
      Chunk chunk;
      {
        std::unique_lock<std::mutex> hold(mutex_);
        changed_.wait_for(hold, std::chrono::milliseconds(50),
                          [&] { return !queue_.empty() || ended_ || gStop; });
        if (gStop) return;
        if (queue_.empty()) {
          if (ended_) break;
          continue;
        }
        if (gCut || Clock::now() < queue_.front().due) {
          const Clock::time_point wake = gCut ? Clock::now() + std::chrono::milliseconds(20)
                                              : queue_.front().due;
          changed_.wait_until(hold, wake, [&] { return gStop.load(); });
          continue;
        }
        chunk = std::move(queue_.front());
        queue_.pop_front();
      }
      std::size_t at = 0;
      while (at < chunk.bytes.size()) {
        const ssize_t n = ::write(to_, chunk.bytes.data() + at, chunk.bytes.size() - at);
        if (n <= 0) return;
        at += static_cast<std::size_t>(n);
      }
      if (onPassed_) onPassed_();
    }
    ::shutdown(to_, SHUT_WR);
  }

  void onPassed(std::function<void()> f) { onPassed_ = std::move(f); }
  long chunks() const { return chunks_; }

 private:
  int from_, to_;
  std::chrono::milliseconds delay_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Chunk> queue_;
  bool ended_ = false;
  long chunks_ = 0;
  std::function<void()> onPassed_;
};

int connectTarget(const std::string& target) {
  const std::size_t colon = target.rfind(':');
  if (target.find('/') != std::string::npos || colon == std::string::npos) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, target.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(target.c_str() + colon + 1)));
  ::inet_pton(AF_INET, target.substr(0, colon).c_str(), &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A client and its server: two directions, four threads. A turn is counted
// when the client speaks after the server last spoke.
class Link {
 public:
  Link(int client, int server, std::chrono::milliseconds delay)
      : client_(client), server_(server), up_(client, server, delay), down_(server, client, delay) {
    up_.onPassed([this] {
      if (serverSpoke_.exchange(false)) ++gTurns;
    });
    down_.onPassed([this] { serverSpoke_ = true; });
    threads_.emplace_back([this] { up_.read(); });
    threads_.emplace_back([this] { up_.write(); });
    threads_.emplace_back([this] { down_.read(); });
    threads_.emplace_back([this] { down_.write(); });
  }
  ~Link() {
    ::shutdown(client_, SHUT_RDWR);
    ::shutdown(server_, SHUT_RDWR);
    for (std::thread& t : threads_) t.join();
    ::close(client_);
    ::close(server_);
  }

 private:
  int client_, server_;
  std::atomic<bool> serverSpoke_{true};  // the server speaks first: its greeting is the first answer
  Direction up_, down_;
  std::vector<std::thread> threads_;
};

int usage() {
  std::fprintf(stderr,
               "usage: delay_proxy --target UNIX_SOCKET|HOST:PORT --delay-ms N [--port P] "
               "[--port-file FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string target, portFile;
  int delayMs = -1, port = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--target") target = argv[i + 1];
    else if (option == "--delay-ms") delayMs = std::atoi(argv[i + 1]);
    else if (option == "--port") port = std::atoi(argv[i + 1]);
    else if (option == "--port-file") portFile = argv[i + 1];
    else return usage();
  }
  if (target.empty() || delayMs < 0 || argc % 2 == 0) return usage();

  struct sigaction action {};
  action.sa_handler = onSignal;
  for (const int s : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 128) != 0) {
    std::perror("delay_proxy: listen");
    return 1;
  }
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int bound = ntohs(address.sin_port);
  if (!portFile.empty()) {
    const std::string temporary = portFile + ".new";
    std::ofstream(temporary) << bound << "\n";
    std::rename(temporary.c_str(), portFile.c_str());
  }
  std::printf("%d\n", bound);
  std::fflush(stdout);

  const std::chrono::milliseconds delay(delayMs);
  std::vector<std::unique_ptr<Link>> links;
  while (!gStop) {
    if (gReport.exchange(false)) {
      std::fprintf(stderr, "delay_proxy: %ld turns\n", gTurns.exchange(0));
      std::fflush(stderr);
    }
    pollfd ready{listener, POLLIN, 0};
    if (::poll(&ready, 1, 100) <= 0) continue;
    const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int server = connectTarget(target);
    if (server < 0) {
      ::close(client);
      continue;
    }
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    links.push_back(std::make_unique<Link>(client, server, delay));
  }
  links.clear();
  std::fprintf(stderr, "delay_proxy: %ld turns\n", gTurns.load());
  return 0;
}
