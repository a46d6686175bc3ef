// The contract of the operating-system seam (contract/SystemContract), run
// against the system the tests run on and against the tests' in-memory
// system, so that what the core's tests learn from the latter holds for the
// real ones.
#include <filesystem>
#include <fstream>

#include "contract/SystemContract.h"
#include "support/HostSystem.h"
#include "support/MemorySystem.h"
#include "support/TempDir.h"

namespace mova::test {
namespace {

// A temporary folder of the real system.
class THostPlace final : public ISystemPlace {
 public:
  IOperatingSystem& System() override { return HostSystem(); }
  std::string Path(const std::string& name) override { return Dir.Path(name); }
  void Write(const std::string& name, const std::string& bytes) override { Dir.Write(name, bytes); }
  void MakeFolder(const std::string& name) override { std::filesystem::create_directory(Dir.Path(name)); }
  void Link(const std::string& target, const std::string& name) override {
    std::filesystem::create_hard_link(Dir.Path(target), Dir.Path(name));
  }
  void MakeSparse(const std::string& name, int64_t size, const std::string& tail) override {
    std::ofstream out(Dir.Path(name), std::ios::binary);
    out.seekp(size - static_cast<std::streamoff>(tail.size()));
    out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  }
  void SetEnvironment(const std::string& name, const std::optional<std::string>& value) override {
    SetHostEnvironment(name, value);
  }
  int Entries() override {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(Dir.Path("")), {}));
  }

 private:
  mova::testing::TempDir Dir;
};

class TMemoryPlace final : public ISystemPlace {
 public:
  TMemoryPlace() { Memory.Folders.insert(Folder); }
  IOperatingSystem& System() override { return Memory; }
  std::string Path(const std::string& name) override { return Folder + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) override { Memory.Files[Path(name)] = bytes; }
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

const TSystemBackend Host{
    .Id = "Host",
    .Name = "the system's own seam",
    .NewPlace = [] { return std::make_unique<THostPlace>(); },
};

const TSystemBackend Memory{
    .Id = "Memory",
    .Name = "the in-memory system",
    .NewPlace = [] { return std::make_unique<TMemoryPlace>(); },
    .Unmet = {{"AFileOverTwoGibibytesIsReadAtItsEnd", "it holds every byte of its files, and 2.5 GiB are not made for a test"},
              {"AWriteIntoAMissingFolderFailsAndMakesNothing",
               "it knows only the folders a test names; any other folder of a path is taken to exist"}},
};

INSTANTIATE_TEST_SUITE_P(System, SystemContract, ::testing::Values(&Host, &Memory), SystemId);

}  // namespace
}  // namespace mova::test
