// formsetup on a new host and run again, and sendsummary, on a host on a
// PostgreSQL server over its local socket against a file host, in one run:
// the medians of whole runs of the built programs, and their ratios.
//
//   build/bench/server_host_bench [runs]        (default 7; at least 5)
//   build/bench/server_host_bench --link-ms 0,20,50 [runs]   (default 3)
//
// With --link-ms the server host is reached through a delaying proxy of the
// tests' own (bench/delay_proxy.cpp) for each round-trip time given,
// and the round trips each run made are counted. Targets at 20 ms: formsetup
// on a new host at most 3 s, run again at most 2 s, sendsummary at most 0.5 s.
//
// The server is the one ZEL_TEST_PG names (a connection string with the
// right to create databases), or else a private cluster of its own, started
// with tests/postgres/cluster.sh in a temporary folder and stopped by it on
// every way out (a watch on this process stops it should the bench die).
// Each run makes a file host with zelhost init and a server host with
// zelhost init --server in a database of its own, outside the timing.
// Targets: formsetup on a new server host at most 1 s; sendsummary at most
// twice the file host's.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kBin = ZEL_BIN_DIR;
const std::string kProxy = ZEL_DELAY_PROXY;
const std::string kClusterScript = std::string(ZEL_SOURCE_DIR) + "/tests/postgres/cluster.sh";

// A private cluster, stopped when this goes out of scope or the process exits.
class Cluster {
 public:
  explicit Cluster(fs::path dir) : dir_(std::move(dir)) {
    const std::string owner = std::to_string(::getpid());
    if (bench::runProcess({kClusterScript, "start", dir_.string(), "--owner", owner}).status != 0) {
      std::fprintf(stderr, "the private cluster did not start (%s)\n", kClusterScript.c_str());
      std::exit(2);
    }
    std::ifstream in(dir_ / "conninfo");
    std::getline(in, conninfo_);
  }
  ~Cluster() { bench::runProcess({kClusterScript, "stop", dir_.string()}); }
  Cluster(const Cluster&) = delete;
  Cluster& operator=(const Cluster&) = delete;
  const std::string& conninfo() const { return conninfo_; }

 private:
  fs::path dir_;
  std::string conninfo_;
};

// The connection string `conninfo` naming the database `name` instead.
std::string withDatabase(const std::string& conninfo, const std::string& name) {
  const std::size_t at = conninfo.find("dbname=");
  if (at == std::string::npos) return conninfo + " dbname=" + name;
  const std::size_t end = conninfo.find(' ', at);
  return conninfo.substr(0, at) + "dbname=" + name +
         (end == std::string::npos ? "" : conninfo.substr(end));
}

// The value of `keyword` in a key=value connection string, or "".
std::string conninfoValue(const std::string& conninfo, const std::string& keyword) {
  const std::size_t at = conninfo.find(keyword + "=");
  if (at == std::string::npos) return {};
  const std::size_t start = at + keyword.size() + 1;
  return conninfo.substr(start, conninfo.find(' ', start) - start);
}

// The delaying proxy, started on a port of its own in front of the server's
// socket, holding each chunk `eachWayMs` each way; stopped by its PID.
class Proxy {
 public:
  Proxy(const std::string& socket, int eachWayMs, const fs::path& dir) : log_(dir / "proxy.log") {
    const std::string portFile = (dir / "proxy.port").string();
    pid_ = ::fork();
    if (pid_ == 0) {
      // A child that cannot redirect its output cannot run the proxy quietly.
      if (std::freopen(log_.c_str(), "w", stderr) == nullptr ||
          std::freopen("/dev/null", "w", stdout) == nullptr) {
        ::_exit(127);
      }
      ::execl(kProxy.c_str(), kProxy.c_str(), "--target", socket.c_str(), "--delay-ms",
              std::to_string(eachWayMs).c_str(), "--port-file", portFile.c_str(), nullptr);
      ::_exit(127);
    }
    for (int i = 0; i < 500 && !fs::exists(portFile); ++i) ::usleep(10000);
    std::ifstream(portFile) >> port_;
    if (port_ == 0) {
      std::fprintf(stderr, "the delaying proxy did not start (%s)\n", kProxy.c_str());
      std::exit(2);
    }
  }
  ~Proxy() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  Proxy(const Proxy&) = delete;
  Proxy& operator=(const Proxy&) = delete;
  int port() const { return port_; }
  // Round trips since the last call.
  long turns() {
    ::kill(pid_, SIGHUP);
    ::usleep(300000);
    std::ifstream in(log_);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return std::atol(last.substr(last.find(' ') + 1).c_str());
  }

 private:
  fs::path log_;
  pid_t pid_ = -1;
  int port_ = 0;
};

void mustRun(const std::vector<std::string>& argv, const std::string& windir = {}) {
  const bench::Run r = windir.empty() ? bench::runProcess(argv)
                                      : bench::runInHost(argv[0], {argv.begin() + 1, argv.end()},
                                                         windir);
  if (r.status != 0) {
    std::fprintf(stderr, "%s %s failed (status %d)\n", argv[0].c_str(),
                 argv.size() > 1 ? argv[1].c_str() : "", r.status);
    std::exit(1);
  }
}

double timed(const std::string& program, const std::vector<std::string>& args,
             const std::string& windir) {
  const bench::Run r = bench::runInHost(kBin + "/" + program, args, windir);
  if (r.status != 0) {
    std::fprintf(stderr, "%s failed (status %d) on the host of %s\n", program.c_str(), r.status,
                 windir.c_str());
    std::exit(1);
  }
  return r.ms;
}

// The sample's record, as zelhost sample prints it last.
std::string sampleRecord(const std::string& folder, const std::string& windir,
                         const fs::path& scratch) {
  const std::string out = (scratch / "sample.out").string();
  const std::string script = "\"" + kBin + "/zelhost\" sample \"" + folder + "\" > \"" + out + "\"";
  const bench::Run r = bench::runProcess({"sh", "-c", script}, {{"WINDIR", windir}});
  std::ifstream in(out);
  std::string line, last;
  while (std::getline(in, line)) last = line;
  if (r.status != 0 || last.empty()) {
    std::fprintf(stderr, "zelhost sample failed on %s\n", folder.c_str());
    std::exit(1);
  }
  return last;
}

struct Medians {
  std::vector<double> fresh, rerun, send;
};

// One host of a kind: zelhost init with `initArgs`, then the timed runs.
void measure(const fs::path& dir, const std::vector<std::string>& initArgs, int sends,
             Medians& m) {
  const std::string windir = (dir / "windows").string();
  const std::string folder = (dir / "host").string();
  fs::create_directories(windir);
  std::vector<std::string> init = {kBin + "/zelhost", "init"};
  init.insert(init.end(), initArgs.begin(), initArgs.end());
  init.push_back(folder);
  mustRun(init, windir);
  m.fresh.push_back(timed("formsetup", {}, windir));
  m.rerun.push_back(timed("formsetup", {}, windir));
  const std::string record = sampleRecord(folder, windir, dir);
  timed("sendsummary", {record}, windir);  // the first run of a host warms its caches
  for (int i = 0; i < sends; ++i) m.send.push_back(timed("sendsummary", {record}, windir));
}

}  // namespace

// Runs on server hosts reached through a link of each round-trip time in
// `linkMs`: medians, and the round trips of each program's runs.
int measureLinks(const std::string& server, const std::vector<int>& linkMs, int runs,
                 const fs::path& root, const std::string& prefix) {
  const std::string socket =
      conninfoValue(server, "host") + "/.s.PGSQL." + conninfoValue(server, "port");
  std::printf("median of %d runs each (ms), a server host through a link of the given round "
              "trip; round trips per run in brackets\n", runs);
  std::printf("%-10s %16s %16s %16s\n", "link", "formsetup, new", "formsetup, again",
              "sendsummary");
  bool met = true;
  int n = 0;
  for (const int ms : linkMs) {
    const fs::path dir = root / ("link" + std::to_string(ms));
    fs::create_directories(dir);
    Proxy proxy(socket, ms / 2, dir);
    const std::string viaProxy = "host=127.0.0.1 port=" + std::to_string(proxy.port()) +
                                 " user=" + conninfoValue(server, "user");
    Medians m;
    long turns[3] = {0, 0, 0};
    for (int i = 0; i < runs; ++i, ++n) {
      const std::string name = prefix + "link" + std::to_string(n);
      mustRun({"psql", "--dbname=" + server, "-qc", "CREATE DATABASE " + name});
      const fs::path host = dir / std::to_string(i);
      const std::string windir = (host / "windows").string(), folder = (host / "host").string();
      fs::create_directories(windir);
      mustRun({kBin + "/zelhost", "init", "--server", viaProxy + " dbname=" + name, folder},
              windir);
      proxy.turns();
      m.fresh.push_back(timed("formsetup", {}, windir));
      turns[0] = proxy.turns();
      m.rerun.push_back(timed("formsetup", {}, windir));
      turns[1] = proxy.turns();
      const std::string record = sampleRecord(folder, windir, host);
      proxy.turns();
      m.send.push_back(timed("sendsummary", {record}, windir));
      turns[2] = proxy.turns();
    }
    auto cell = [](const std::vector<double>& v, long t) {
      char out[40];
      std::snprintf(out, sizeof out, "%.0f [%ld]", bench::median(v), t);
      return std::string(out);
    };
    std::printf("%-10s %16s %16s %16s\n", (std::to_string(ms) + " ms").c_str(),
                cell(m.fresh, turns[0]).c_str(), cell(m.rerun, turns[1]).c_str(),
                cell(m.send, turns[2]).c_str());
    if (ms == 20)
      met = bench::median(m.fresh) <= 3000 && bench::median(m.rerun) <= 2000 &&
            bench::median(m.send) <= 500;
  }
  for (int i = 0; i < n; ++i)
    bench::runProcess({"psql", "--dbname=" + server, "-qc",
                       "DROP DATABASE " + prefix + "link" + std::to_string(i)});
  std::printf("targets at 20 ms: formsetup new <= 3 s, again <= 2 s, sendsummary <= 0.5 s: %s\n",
              met ? "met" : "missed");
  return met ? 0 : 1;
}

int main(int argc, char** argv) {
  std::vector<int> linkMs;
  if (argc > 2 && std::string(argv[1]) == "--link-ms") {
    std::string list = argv[2];
    for (std::size_t at = 0; at <= list.size();) {
      const std::size_t comma = std::min(list.find(',', at), list.size());
      linkMs.push_back(std::atoi(list.substr(at, comma - at).c_str()));
      at = comma + 1;
    }
    argv += 2;
    argc -= 2;
  }
  const int runs = linkMs.empty() ? std::max(5, argc > 1 ? std::atoi(argv[1]) : 7)
                                  : std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
  char pattern[] = "/tmp/server_host_bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 2;
  const fs::path root = pattern;

  std::string server;
  std::unique_ptr<Cluster> cluster;
  if (const char* given = std::getenv("ZEL_TEST_PG"); given && *given) {
    server = given;
  } else {
    cluster = std::make_unique<Cluster>(root / "cluster");
    server = cluster->conninfo();
  }
  const std::string prefix = "zel_bench_" + std::to_string(::getpid()) + "_";
  if (!linkMs.empty()) {
    const int status = measureLinks(server, linkMs, runs, root, prefix);
    cluster.reset();
    fs::remove_all(root);
    return status;
  }

  Medians file, onServer;
  for (int i = 0; i < runs; ++i) {
    const std::string n = std::to_string(i);
    measure(root / ("file" + n), {}, 3, file);
    mustRun({"psql", "--dbname=" + server, "-qc", "CREATE DATABASE " + prefix + n});
    measure(root / ("server" + n), {"--server", withDatabase(server, prefix + n)}, 3, onServer);
  }
  for (int i = 0; i < runs; ++i)
    bench::runProcess(
        {"psql", "--dbname=" + server, "-qc", "DROP DATABASE " + prefix + std::to_string(i)});
  cluster.reset();
  fs::remove_all(root);

  auto row = [](const char* what, const std::vector<double>& f, const std::vector<double>& s) {
    const double fm = bench::median(f), sm = bench::median(s);
    std::printf("%-18s %10.1f %10.1f %7.2f\n", what, fm, sm, sm / fm);
  };
  std::printf("median of %d runs each (ms); the server over its local socket\n", runs);
  std::printf("%-18s %10s %10s %7s\n", "", "file host", "server", "ratio");
  row("formsetup, new", file.fresh, onServer.fresh);
  row("formsetup, again", file.rerun, onServer.rerun);
  row("sendsummary", file.send, onServer.send);
  const bool freshMet = bench::median(onServer.fresh) <= 1000.0;
  const bool sendMet = bench::median(onServer.send) <= 2.0 * bench::median(file.send);
  std::printf("targets: formsetup on a new server host <= 1.0 s: %s; "
              "sendsummary <= 2x the file host's: %s\n",
              freshMet ? "met" : "missed", sendMet ? "met" : "missed");
  return freshMet && sendMet ? 0 : 1;
}
