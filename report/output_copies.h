// The run's copies of its two summaries under the output name (RPT and TMP),
// and what killed runs left there.
#pragma once

namespace platform {
class StagedFile;
}

namespace report {

// Removes from RPT and TMP what a killed run left there: its staged spool
// file, copies and text summary; puts back a copy it had kept aside where
// the copy is missing. Run before this run stages files of its own.
void removeAbandonedRunFiles();

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
