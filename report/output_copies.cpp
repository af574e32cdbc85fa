#include "report/output_copies.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"
#include "report/module_state.h"

namespace report {
namespace {

std::string spoolCopyPath() {
  const ModuleState& state = moduleState();
  return state.reportFolder + "\\" + state.request.outputName + ".PRN";
}

std::string textCopyPath() {
  const ModuleState& state = moduleState();
  return state.tempFolder + "\\" + state.request.outputName + ".txt";
}

// What a run stages in RPT: spool files and their copies.
bool isSpoolFileName(std::string_view name) { return platform::rightChars(name, 4) == ".PRN"; }

bool isDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// What a run stages in TMP: the text copy, and the text summary under its
// eight-digit random name.
bool isTextFileName(std::string_view name) {
  if (platform::rightChars(name, 4) == ".txt") return true;
  return name.size() == 8 && isDigits(name);
}

constexpr std::size_t kSpoolNumberLength = 8;
constexpr std::size_t kDigestLength = 16;

// 64-bit FNV-1a: tells one spool file's bytes from another's; no secret is kept.
std::uint64_t digestOf(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  return hash;
}

// A killed run's tagged copy goes in place only when the run was done: its
// row is registered and its spool file still holds the bytes it copied.
platform::env::TaggedFate fateOfCopy(const SpoolFileRegistered& isRegistered,
                                     std::string_view tag) {
  using platform::env::TaggedFate;
  const std::string_view number = tag.substr(0, kSpoolNumberLength);
  if (tag.size() != kSpoolNumberLength + kDigestLength || !isDigits(number))
    return TaggedFate::Remove;
  const std::string fileName = std::string(number).append(".PRN");
  if (!isRegistered(fileName)) return TaggedFate::Remove;
  std::string bytes;
  try {
    bytes = platform::readFileBytes(moduleState().reportFolder + "\\" + fileName);
  } catch (const platform::Error& e) {
    if (e.number() == platform::err::kFileNotFound) return TaggedFate::Remove;
    return TaggedFate::Leave;
  }
  return copyTag(fileName, bytes) == tag ? TaggedFate::Place : TaggedFate::Remove;
}

}  // namespace

std::string copyTag(std::string_view spoolFileName, std::string_view spoolBytes) {
  char digest[kDigestLength + 1];
  std::snprintf(digest, sizeof digest, "%016llx",
                static_cast<unsigned long long>(digestOf(spoolBytes)));
  return std::string(spoolFileName.substr(0, kSpoolNumberLength)).append(digest);
}

void removeAbandonedRunFiles(const SpoolFileRegistered& isRegistered) {
  const ModuleState& state = moduleState();
  const auto placeTagged = [&isRegistered](std::string_view, std::string_view tag) {
    return fateOfCopy(isRegistered, tag);
  };
  platform::removeAbandonedStagedFiles(state.reportFolder, isSpoolFileName, placeTagged);
  platform::removeAbandonedStagedFiles(state.tempFolder, isTextFileName, placeTagged);
}

void stageOutputCopies(const platform::StagedFile& spoolFile) {
  ModuleState& state = moduleState();
  std::string spoolBytes = platform::readFileBytes(spoolFile.path());
  const std::string& spoolPath = state.spoolPath;
  const std::string tag = copyTag(spoolPath.substr(spoolPath.find_last_of('\\') + 1), spoolBytes);
  state.spoolCopy =
      std::make_unique<platform::StagedFile>(spoolCopyPath(), std::move(spoolBytes), tag);
  state.textCopy = std::make_unique<platform::StagedFile>(
      textCopyPath(), platform::readFileBytes(state.textTemp->path()), tag);
  // Its copy holds it now; should the run still fail, the copy goes too.
  state.textTemp.reset();
}

void placeOutputCopies() {
  ModuleState& state = moduleState();
  platform::publishTogether({state.spoolCopy.get(), state.textCopy.get()});
  state.spoolCopy.reset();
  state.textCopy.reset();
}

void discardRunFiles() noexcept {
  ModuleState& state = moduleState();
  state.spoolCopy.reset();
  state.textCopy.reset();
  state.textTemp.reset();
}

}  // namespace report
