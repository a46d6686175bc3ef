#include "support/MemorySystem.h"

#include <algorithm>
#include <cstring>

#include "framework/EnvironmentRefs.h"

namespace mova::test {

namespace {

class MemoryFile final : public IReadableFile {
 public:
  MemoryFile(std::string bytes, TFileIdentity identity, int64_t failsAt)
      : bytes_(std::move(bytes)), identity_(identity), failsAt_(failsAt) {}

  TReadResult ReadAt(int64_t offset, std::span<uint8_t> buffer) override {
    TReadResult result;
    const auto size = static_cast<int64_t>(bytes_.size());
    if (offset < 0 || offset >= size) return result;
    int64_t end = std::min(size, offset + static_cast<int64_t>(buffer.size()));
    if (failsAt_ >= 0 && end > failsAt_) {
      end = std::max(offset, failsAt_);
      result.Error = TMemorySystem::IoError;
    }
    result.Count = static_cast<std::size_t>(end - offset);
    std::memcpy(buffer.data(), bytes_.data() + offset, result.Count);
    return result;
  }
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
  TFileIdentity Identity() const override { return identity_; }

 private:
  std::string bytes_;
  TFileIdentity identity_;
  int64_t failsAt_;
};

}  // namespace

std::string TMemorySystem::Resolve(const std::string& name) const {
  const auto link = Links.find(name);
  return link == Links.end() ? name : link->second;
}

std::unique_ptr<IReadableFile> TMemorySystem::OpenForReading(const std::string& name, int32_t& error) {
  const std::string target = Resolve(name);
  if (Folders.count(target) != 0) {
    error = IsFolder;
    return nullptr;
  }
  const auto file = Files.find(target);
  if (file == Files.end()) {
    error = NotFound;
    return nullptr;
  }
  error = 0;
  const uint64_t index = Indexes.emplace(target, Indexes.size() + 1).first->second;
  const auto fails = ReadFailsAt.find(target);
  return std::make_unique<MemoryFile>(file->second, TFileIdentity{1, index},
                                      fails == ReadFailsAt.end() ? -1 : fails->second);
}

int32_t TMemorySystem::WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) {
  if (WriteError != 0) return WriteError;
  if (name.empty()) return NotFound;
  if (Folders.count(Resolve(name)) != 0) return IsFolder;
  Files[Resolve(name)] = std::string(bytes.begin(), bytes.end());
  return 0;
}

std::optional<std::string> TMemorySystem::GetEnvironment(const std::string& name) {
  const auto value = Environment.find(name);
  if (value == Environment.end()) return std::nullopt;
  return value->second;
}

std::optional<std::string> TMemorySystem::ExpandEnvironment(const std::string& text, std::size_t limit) {
  return ExpandEnvironmentRefs(
      text, [this](const std::string& name) { return GetEnvironment(name); }, limit);
}

std::string TMemorySystem::FullPath(const std::string& name) {
  if (!name.empty() && name.front() == Rules.Separator) return name;
  return CurrentFolder + Rules.Separator + name;
}

std::vector<std::string> TMemorySystem::ListFolder(const std::string& folder) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != Rules.Separator) prefix += Rules.Separator;
  std::vector<std::string> names;
  for (const auto& [name, bytes] : Files) {
    if (name.rfind(prefix, 0) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    if (!rest.empty() && rest.find(Rules.Separator) == std::string::npos) names.push_back(rest);
  }
  return names;
}

}  // namespace mova::test
