// The run's copies of its two summaries under the output name (RPT and TMP),
// and what killed runs left there.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {
class StagedFile;
}

namespace report {

// Whether the SPOOL register holds this run's report under a spool file
// name ("00000034.PRN"); raises what the engine raises.
using SpoolFileRegistered = std::function<bool(const std::string& fileName)>;

// Removes from RPT and TMP what a killed run left there: its staged spool
// file, copies and text summary; puts back a copy it had kept aside where
// the copy is missing. A run killed after its row was committed has its
// staged copies put in place instead, where no later copy stands: its row is
// in the register (`isRegistered`) and its spool file holds the bytes the
// copies were tagged with. Run before this run stages files of its own.
void removeAbandonedRunFiles(const SpoolFileRegistered& isRegistered);

// The tag a copy is staged with: the spool file's number (its eight digits)
// and a digest of its bytes, which only that run's spool file matches.
std::string copyTag(std::string_view spoolFileName, std::string_view spoolBytes);

// Writes the copies of both summaries beside their targets (the spool file's
// from `spoolFile`, still staged) and deletes the temporary text file; run
// before the spool row is committed.
void stageOutputCopies(const platform::StagedFile& spoolFile);

// Puts both staged copies in place, or neither: an earlier run's copies
// stay as they were when this fails.
void placeOutputCopies();

// Forgets the run's staged copies and temporary text file, which removes
// them: nothing of a failed run stays behind.
void discardRunFiles() noexcept;

}  // namespace report
