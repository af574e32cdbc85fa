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

PgConnection connectToHost(std::string_view path) {
  std::string content;
  try {
    content = platform::env::readFileStart(platform::nativePath(path), kMostDescriptorBytes + 1);
  } catch (const platform::Error& e) {
    raise(err::kCannotFindFile, {path}, e.description());
  }
  PgConnection db(parseDescriptor(content, path), sessionName(), std::string(path));
  setUpHostSession(db);
  return db;
}

void setUpHostSession(PgConnection& db) {
  db.exec(
      "SET search_path = public, jet, pg_catalog;"
      " SET synchronous_commit = on");
}

}  // namespace hostdb::postgres
