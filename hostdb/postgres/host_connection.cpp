#include "hostdb/postgres/host_connection.h"

#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/descriptor.h"
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/program.h"

namespace hostdb::postgres {

std::string sessionName() {
  std::string machine;
  try {
    machine = platform::env::Env::current().machineName();
  } catch (const platform::Error&) {
    // Named by its program alone.
  }
  const std::string& program = platform::programName();
  return applicationName(program.empty() ? "hostdb" : program, machine);
}

PgConnection connectToHost(std::string_view path, std::optional<int> mostConnectSeconds) {
  std::string content;
  try {
    content = platform::env::readFileStart(platform::nativePath(path), kMostDescriptorBytes + 1);
  } catch (const platform::Error& e) {
    raise(err::kCannotFindFile, {path}, e.description());
  }
  return PgConnection(parseDescriptor(content, path), sessionName(), std::string(path),
                      kHostSessionSettings, mostConnectSeconds);
}

}  // namespace hostdb::postgres
