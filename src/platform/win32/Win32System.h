#pragma once
// The operating-system seam on Windows, through kernel32's ANSI calls.
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"

namespace mova {

class TWin32System final : public IOperatingSystem {
 public:
  std::unique_ptr<IReadableFile> OpenForReading(const std::string& name, int32_t& error) override;
  int32_t WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) override;
  std::optional<std::string> GetEnvironment(const std::string& name) override;
  std::optional<std::string> ExpandEnvironment(const std::string& text, std::size_t limit) override;
  // GetCommandLineA, split by the program's own rule, without the program's name.
  std::vector<std::string> Arguments() override;
  std::string ExecutablePath() override;
  std::string FullPath(const std::string& name) override;
  TPathRules PathRules() const override { return TPathRules{'\\', true}; }
  std::vector<std::string> ListFolder(const std::string& folder) override;
};

}  // namespace mova
