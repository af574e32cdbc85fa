// Files as the programs use them: text lines one byte per character in the
// ANSI code page, lines ended by CR LF; copies and deletes. Paths arrive
// Windows-style; on POSIX both '\' and '/' separate folders.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace env {
class TemporaryFile;
enum class TaggedFate;
}  // namespace env

// The operating system's path for a Windows-style path text
// ("/srv/zel/host\tmp\env661.txt" -> "/srv/zel/host/tmp/env661.txt"),
// with names found as Windows finds them, whatever their case: a name that
// does not exist as written is replaced, folder by folder, by the one entry
// that differs from it in case only. A name that exists as written wins;
// where none exists, or several differ in case only, the name stays as
// written (and is then not found, or created as written).
std::string nativePath(std::string_view windowsPath);

bool fileExists(std::string_view path);

// True when `name` names a file in a folder and nothing else: not empty, no
// folder separator ("/", "\\"), no "..", no control character and none of
// the characters Windows refuses in a name (<>:"|?*).
bool isPlainFileName(std::string_view name);

// Writing text lines (BASIC Print #): each line is written in the ANSI code
// page followed by CR LF.
class TextWriter {
 public:
  enum class Mode {
    Truncate,   // create the file, or empty an existing one
    CreateNew,  // create the file; fail with Error 58 when it exists
  };
  TextWriter(std::string_view path, Mode mode = Mode::Truncate);
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  void writeLine(std::string_view text);
  // Flushes and closes; raises on a failed write.
  void close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A file whose bytes are written beside `target` under a temporary name,
// flushed to disk and closed, and put in place by publish() or
// publishTogether(): until then the target is untouched, and a file that is
// never published is removed with the object. Raises what fits a failed
// write (61 for a full disk, 76 for a missing folder, 75 when the target is
// a folder). A `tag` (1 to 32 letters or digits) goes into the staged name,
// for the sweep of a killed run's files to decide by (removeAbandonedStagedFiles).
class StagedFile {
 public:
  StagedFile(std::string_view target, std::string_view bytes, std::string_view tag = {});
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // publishTogether() of this file alone.
  void publish();
  // Leaves the staged file behind, unpublished, for the sweep of a later run
  // to settle (where whether it belongs in place is not known now).
  void abandon() noexcept;
  // Where the bytes wait until published (a native path).
  const std::string& path() const;

 private:
  friend void publishTogether(const std::vector<StagedFile*>& files);
  std::unique_ptr<env::TemporaryFile> file_;
};

// Puts every staged file in place, or none: each target that exists is kept
// aside beside it until all the files are in place, and removed then. Should
// any rename or folder sync fail, every target is put back as it was (a new
// one removed, an old one returned) before the failure goes on. A run killed
// on the way leaves its targets kept aside for the next sweep.
void publishTogether(const std::vector<StagedFile*>& files);

// A line as Print # writes it: in the ANSI code page, followed by CR LF.
void appendTextLine(std::string& bytes, std::string_view text);

// Removes from `folder` the staged files that a process killed before it
// published them left behind, and puts back a target it had kept aside where
// that target is missing (removes it otherwise), for target names that
// `isOurs` accepts. A staged file with a tag is put in place instead, where
// its target is missing or older, when `placeTagged` answers Place for it
// (and left for a later sweep on Leave). A folder where a living process
// has such files is left for a later sweep; every other file stays.
void removeAbandonedStagedFiles(
    std::string_view folder, const std::function<bool(std::string_view targetName)>& isOurs,
    const std::function<env::TaggedFate(std::string_view targetName, std::string_view tag)>&
        placeTagged = {});

// Deletes the file; raises Error 53 when it does not exist.
void deleteFile(std::string_view path);

// Writes `bytes` to `path` through a temporary file beside it and a rename.
void writeFileAtomically(std::string_view path, std::string_view bytes);

// The whole content of a file as bytes; raises Error 53 / 75.
std::string readFileBytes(std::string_view path);

}  // namespace platform
