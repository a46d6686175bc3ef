#pragma once
// The operating-system seam on Linux and other POSIX systems.
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"

namespace mova {

class TPosixSystem final : public IOperatingSystem {
 public:
  // `arguments` are the program's arguments as the system split them (argv
  // without argv[0]).
  explicit TPosixSystem(std::vector<std::string> arguments = {});

  std::unique_ptr<IReadableFile> OpenForReading(const std::string& name, int32_t& error) override;
  int32_t WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) override;
  std::optional<std::string> GetEnvironment(const std::string& name) override;
  std::optional<std::string> ExpandEnvironment(const std::string& text, std::size_t limit) override;
  std::vector<std::string> Arguments() override { return Arguments_; }
  std::string ExecutablePath() override;
  std::string FullPath(const std::string& name) override;
  TPathRules PathRules() const override { return TPathRules{'/', false}; }
  std::vector<std::string> ListFolder(const std::string& folder) override;

 private:
  std::vector<std::string> Arguments_;
};

}  // namespace mova
