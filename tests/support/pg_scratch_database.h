// A database of one test's own on the test cluster: a copy of a template
// (template0 for an empty one, or a host database made once), dropped on
// destruction, even while connections to it are still open.
#pragma once

#include <string>

namespace pgtest {

class ScratchDatabase {
 public:
  // Copies `templateName` through `conninfo` (a connection string of the
  // cluster); throws std::runtime_error with the server's words when it
  // cannot (the template in use by another connection, say).
  explicit ScratchDatabase(const std::string& conninfo,
                           const std::string& templateName = "template0");
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  const std::string& name() const { return name_; }
  // The cluster's connection string with this database in it.
  const std::string& conninfo() const { return conninfo_; }

 private:
  std::string clusterConninfo_;
  std::string name_;
  std::string conninfo_;
};

}  // namespace pgtest
