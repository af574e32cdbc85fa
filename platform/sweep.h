// The sweep of a folder: what a killed process left of its temporary files
// and of the targets it kept aside (the namings of temporary_name.h). The
// decisions are made here, alike on every system; each system gives the few
// calls they rest on (SweepCalls), for one folder.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace platform::env {

// What a sweep of one folder asks of the system. Names are entries of that
// folder; every call but hold() is made while the folder is held, except
// the renames where renamesWhileHeld() is false.
class SweepCalls {
 public:
  virtual ~SweepCalls() = default;
  // Holds the folder for the sweep alone, without waiting: false when a
  // living process holds it (holdFolder) or it cannot be opened.
  virtual bool hold() = 0;
  // Gives the folder back.
  virtual void release() = 0;
  // Whether a file can be renamed into the folder while the sweep holds it
  // (false where the rename needs a right the sweep's hold does not share).
  virtual bool renamesWhileHeld() const = 0;
  // Calls `visit` with each name in the folder ("." and ".." left out).
  virtual void listEntries(const std::function<void(std::string_view name)>& visit) = 0;
  // A plain file, the link itself when `name` is a link (which is not one).
  virtual bool isRegularFile(const std::string& name) = 0;
  // Nothing stands at `name`, and the system says so (not a failure to look).
  virtual bool isMissing(const std::string& name) = 0;
  // When `name` was last changed; nullopt when it cannot be looked at.
  virtual std::optional<Instant> modifiedAt(const std::string& name) = 0;
  // Each true when done. A rename made after the hold never replaces a
  // file at `to`; replace() does.
  virtual bool rename(const std::string& from, const std::string& to) = 0;
  virtual bool replace(const std::string& from, const std::string& to) = 0;
  virtual bool remove(const std::string& name) = 0;
  // The folder's entries, on disk.
  virtual void sync() = 0;
};

// Env::removeAbandonedTemporaries on `calls`' folder: in a folder no living
// process holds, each regular file of our naming whose target `isOurs`
// accepts is removed, except a file kept aside whose target is missing,
// which goes back in its place (a publication cut short), and a tagged
// temporary file for which `placeTagged` answers Place, which replaces its
// target when that is missing or older (a publication whose work was done;
// a newer target is a later publication's, which stands). A folder in use
// is left as it is. Failures are passed over; the folder is synced once
// when anything changed.
void sweepFolder(SweepCalls& calls, const TargetFilter& isOurs,
                 const TaggedFilter& placeTagged = {}) noexcept;

}  // namespace platform::env
