#pragma once
// The operating-system seam in memory: files, folders, the environment and
// the command line are what a test puts in.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"

namespace mova::test {

class TMemorySystem final : public IOperatingSystem {
 public:
  // Error numbers this system answers with.
  static constexpr int32_t NotFound = 2;
  static constexpr int32_t IsFolder = 21;
  static constexpr int32_t IoError = 5;

  std::map<std::string, std::string> Files;
  std::set<std::string> Folders;  // names that are folders: they cannot be opened or written
  // Another name for a file: opens the target, as the same file.
  std::map<std::string, std::string> Links;
  // Reading this file fails from this byte on.
  std::map<std::string, int64_t> ReadFailsAt;
  int32_t WriteError = 0;  // when set, every write fails with it
  std::map<std::string, std::string> Environment;
  std::vector<std::string> ArgumentList;
  std::string Executable = "/opt/mova/mova";
  std::string CurrentFolder = "/home/user";
  TPathRules Rules;

  std::unique_ptr<IReadableFile> OpenForReading(const std::string& name, int32_t& error) override;
  int32_t WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) override;
  std::optional<std::string> GetEnvironment(const std::string& name) override;
  std::optional<std::string> ExpandEnvironment(const std::string& text, std::size_t limit) override;
  std::vector<std::string> Arguments() override { return ArgumentList; }
  std::string ExecutablePath() override { return Executable; }
  std::string FullPath(const std::string& name) override;
  TPathRules PathRules() const override { return Rules; }
  std::vector<std::string> ListFolder(const std::string& folder) override;

 private:
  std::string Resolve(const std::string& name) const;
  std::map<std::string, uint64_t> Indexes;
};

}  // namespace mova::test
