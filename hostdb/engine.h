// An engine implementation of the object model: what DBEngine opens a host
// database with, chosen by what the host's path holds (engines.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "hostdb/workspace.h"
#include "hostdb/host_lock.h"

namespace hostdb {

class Engine {
 public:
  virtual ~Engine() = default;

  // Its name, for messages and tests ("sqlite").
  virtual std::string_view name() const = 0;

  // A default workspace that reads `settings`' SystemDB, DefaultUser and
  // DefaultPassword when it logs on; `settings` must outlive it.
  virtual std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& settings) = 0;

  // The lock that keeps runs that do `work` on the host at `path` (as the
  // programs name it) apart, not taken.
  virtual std::unique_ptr<HostLock> hostLock(const std::string& path, HostWork work) = 0;
};

}  // namespace hostdb
