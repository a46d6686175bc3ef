// The tests' in-memory system against the contract of the operating-system
// seam, so that what the core's tests learn from it holds for the real ones.
#include "contract/SystemContract.h"
#include "support/MemorySystem.h"

namespace mova::test {
namespace {

class TMemoryPlace final : public ISystemPlace {
 public:
  TMemoryPlace() { Memory.Folders.insert(Folder); }
  IOperatingSystem& System() override { return Memory; }
  std::string Path(const std::string& name) override { return Folder + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) override { Memory.Files[Path(name)] = bytes; }
  std::optional<std::string> Read(const std::string& name) override {
    const auto file = Memory.Files.find(Path(name));
    if (file == Memory.Files.end()) return std::nullopt;
    return file->second;
  }
  void MakeFolder(const std::string& name) override { Memory.Folders.insert(Path(name)); }
  void Link(const std::string& target, const std::string& name) override { Memory.Links[Path(name)] = Path(target); }
  void MakeSparse(const std::string&, int64_t, const std::string&) override {}
  void SetEnvironment(const std::string& name, const std::optional<std::string>& value) override {
    if (value)
      Memory.Environment[name] = *value;
    else
      Memory.Environment.erase(name);
  }
  int Entries() override {
    int entries = 0;
    const std::string prefix = Folder + "/";
    for (const auto& [name, bytes] : Memory.Files) entries += name.rfind(prefix, 0) == 0 ? 1 : 0;
    for (const auto& name : Memory.Folders) entries += name.rfind(prefix, 0) == 0 ? 1 : 0;
    for (const auto& [name, target] : Memory.Links) entries += name.rfind(prefix, 0) == 0 ? 1 : 0;
    return entries;
  }

 private:
  TMemorySystem Memory;
  const std::string Folder = "/contract";
};

const TSystemBackend Memory{
    .Id = "Memory",
    .Name = "the in-memory system",
    .NewPlace = [] { return std::make_unique<TMemoryPlace>(); },
    .Unmet = {{"AFileOverTwoGibibytesIsReadAtItsEnd", "it holds every byte of its files, and 2.5 GiB are not made for a test"},
              {"AWriteIntoAMissingFolderFailsAndMakesNothing",
               "it knows only the folders a test names; any other folder of a path is taken to exist"}},
};

INSTANTIATE_TEST_SUITE_P(System, SystemContract, ::testing::Values(&Memory), SystemId);

}  // namespace
}  // namespace mova::test
