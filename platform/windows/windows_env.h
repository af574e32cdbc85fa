// The Env of Windows, defined across windows/env_*.cpp: Win32's W functions
// with UTF-16 paths.
#pragma once

#include "platform/env.h"

namespace platform::windows {

class WindowsEnv final : public env::Env {
 public:
  std::optional<std::string> variable(const char* name) override;
  bool isFile(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  PathKind pathKind(const std::string& path) override;
  std::string accessRefusal(const std::string& path, bool forWriting) override;
  bool pathExists(const std::string& path) override;
  std::vector<std::string> folderEntries(const std::string& folder) override;
  std::string readFile(const std::string& path) override;
  std::string readFileStart(const std::string& path, std::size_t maxBytes) override;
  std::unique_ptr<env::WritableFile> newFile(const std::string& path, bool exclusive) override;
  std::unique_ptr<env::HeldLock> holdFolder(const std::string& folder) noexcept override;
  std::unique_ptr<env::WritableFile> newTemporaryFile(const std::string& target,
                                                      std::string_view tag,
                                                      std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void removeFile(const std::string& path) override;
  bool linkFile(const std::string& existing, const std::string& newPath) override;
  bool sameFile(const std::string& a, const std::string& b) override;
  void syncFolder(const std::string& folder) override;
  void removeAbandonedTemporaries(const std::string& folder, const env::TargetFilter& isOurs,
                                  const env::TaggedFilter& placeTagged) noexcept override;
  std::unique_ptr<env::HeldLock> lockFile(const std::string& path) override;
  std::string followLinks(const std::string& path) override;
  void appendToFile(const std::string& path, std::string_view bytes) noexcept override;
  void writeError(std::string_view text) noexcept override;
  bool inputIsTerminal() override;
  std::optional<std::string> readInputLine() override;
  bool makeFolder(const std::string& path) override;
  void removeFolder(const std::string& path) override;
  bool placeFolder(const std::string& from, const std::string& to) override;
  std::optional<env::Instant> modifiedAt(const std::string& path) override;
  FolderKind folderKind(const std::string& folder) override;
  void dropCachedPages(const std::string& path) noexcept override;
  std::string machineName() override;
  std::string bootId() override;
  std::int64_t processId() override;
  bool processAlive(std::int64_t id) override;
  std::string executablePath() override;
  std::vector<std::string> arguments(int argc, char** argv) override;
  int runAttached(const std::vector<std::string>& argv) noexcept override;
  env::Instant currentInstant() override;
  DateTime localDateTime(std::int64_t seconds) override;
  std::uint64_t clockSeed() override;
  std::string windowsDirectory() override;
};

}  // namespace platform::windows
