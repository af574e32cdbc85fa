#include "report/output_copies.h"

#include <memory>
#include <string>
#include <string_view>

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

// What a run stages in TMP: the text copy, and the text summary under its
// eight-digit random name.
bool isTextFileName(std::string_view name) {
  if (platform::rightChars(name, 4) == ".txt") return true;
  return name.size() == 8 && name.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

void removeAbandonedRunFiles() {
  const ModuleState& state = moduleState();
  platform::removeAbandonedStagedFiles(state.reportFolder, isSpoolFileName);
  platform::removeAbandonedStagedFiles(state.tempFolder, isTextFileName);
}

void stageOutputCopies(const platform::StagedFile& spoolFile) {
  ModuleState& state = moduleState();
  state.spoolCopy = std::make_unique<platform::StagedFile>(
      spoolCopyPath(), platform::readFileBytes(spoolFile.path()));
  state.textCopy = std::make_unique<platform::StagedFile>(
      textCopyPath(), platform::readFileBytes(state.textTemp->path()));
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
