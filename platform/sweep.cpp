#include "platform/sweep.h"

#include <string_view>
#include <utility>
#include <vector>

#include "platform/temporary_name.h"

namespace platform::env {

namespace {

// The target is missing, or was last changed before the file: a target
// whose time cannot be read counts as newer, and stands.
bool mayReplace(SweepCalls& calls, const std::string& file, const std::string& target) {
  if (calls.isMissing(target)) return true;
  const std::optional<Instant> targetTime = calls.modifiedAt(target);
  const std::optional<Instant> fileTime = calls.modifiedAt(file);
  if (!targetTime || !fileTime) return false;
  return targetTime->seconds != fileTime->seconds ? targetTime->seconds < fileTime->seconds
                                                  : targetTime->nanoseconds < fileTime->nanoseconds;
}

}  // namespace

void sweepFolder(SweepCalls& calls, const TargetFilter& isOurs,
                 const TaggedFilter& placeTagged) noexcept {
  if (!calls.hold()) return;  // in use: a later run sweeps it
  const bool renameNow = calls.renamesWhileHeld();
  std::vector<std::pair<std::string, std::string>> putBack, placeLater;
  bool changed = false;
  calls.listEntries([&](std::string_view name) {
    if (name.empty() || name.front() != '.') return;  // most names stop here
    std::string_view target, tag;
    const Naming naming = namingOf(name, target, tag);
    if (naming == Naming::None || !isOurs(target)) return;
    const std::string file(name);
    if (!calls.isRegularFile(file)) return;
    const std::string targetName(target);
    if (naming == Naming::Temporary && !tag.empty() && placeTagged &&
        mayReplace(calls, file, targetName)) {
      TaggedFate fate = TaggedFate::Leave;
      try {
        fate = placeTagged(target, tag);
      } catch (...) {
        // Not known now: asked again by a later sweep.
      }
      if (fate == TaggedFate::Leave) return;
      if (fate == TaggedFate::Place) {
        if (renameNow) {
          changed |= calls.replace(file, targetName);
        } else {
          placeLater.emplace_back(file, targetName);
        }
        return;
      }
    }
    if (naming == Naming::KeptAside && calls.isMissing(targetName)) {
      if (renameNow) {
        changed |= calls.rename(file, targetName);
      } else {
        putBack.emplace_back(file, targetName);
      }
    } else {
      changed |= calls.remove(file);
    }
  });
  if (changed) calls.sync();
  calls.release();
  // Where a rename cannot be made while the folder is held: each after the
  // sweep, and only while its target is still missing (never replacing one a
  // living process has put there since).
  for (const auto& [from, to] : putBack) calls.rename(from, to);
  for (const auto& [from, to] : placeLater)
    if (mayReplace(calls, from, to)) calls.replace(from, to);
}

}  // namespace platform::env
