#include "hostdb/engines.h"

#include <cstddef>
#include <string>

#include "hostdb/sqlite/sqlite_engine.h"
#if ZEL_HAVE_POSTGRES
#include "hostdb/postgres/pg_engine.h"
#include "hostdb/postgres/pg_server_hosts.h"
#endif
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace hostdb {
namespace {

struct RegisteredEngine {
  // Whether the first bytes of a host's file are this engine's.
  bool (*claims)(std::string_view head);
  Engine& (*engine)();
};

// The engines in the order they are asked; the first is the default. The
// server engine is built where libpq is (ZEL_HAVE_POSTGRES); without it a
// descriptor is a file of no known format, which SQLite refuses.
constexpr RegisteredEngine kEngines[] = {
    {sqlite::claimsHostFile, sqlite::engine},
#if ZEL_HAVE_POSTGRES
    {postgres::claimsHostFile, postgres::engine},
#endif
};

// Enough of a file for any engine to know its own: SQLite's header is 16
// bytes, a server's descriptor one short line of at most 4096 bytes (one
// byte more tells a longer file).
constexpr std::size_t kSampleBytes = 4097;

// The first bytes of the regular file at `path`; "" for anything else (no
// file, a folder, a device or FIFO, which reading could block on, a file
// that cannot be read).
std::string sampleOf(std::string_view path) {
  try {
    const std::string native = platform::nativePath(path);
    if (platform::env::pathKind(native) != platform::env::Env::PathKind::File) return {};
    return platform::env::readFileStart(native, kSampleBytes);
  } catch (const platform::Error&) {
    return {};
  }
}

}  // namespace

bool isServerHost(std::string_view path) {
#if ZEL_HAVE_POSTGRES
  return &engineFor(path) == &postgres::engine();
#else
  (void)path;
  return false;
#endif
}

ServerHosts* serverHosts() {
#if ZEL_HAVE_POSTGRES
  return &postgres::serverHosts();
#else
  return nullptr;
#endif
}

Engine& defaultEngine() { return kEngines[0].engine(); }

Engine& engineFor(std::string_view path) {
  const std::string head = sampleOf(path);
  for (const RegisteredEngine& registered : kEngines)
    if (registered.claims(head)) return registered.engine();
  return defaultEngine();
}

}  // namespace hostdb
