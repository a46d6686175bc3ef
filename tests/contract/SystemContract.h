#pragma once
// One set of checks of the operating-system seam (framework/OperatingSystem.h)
// run against every implementation: the system the tests run on (POSIX or
// Win32) and the tests' in-memory system (platform/SystemContractTest).
//
// A check that a system cannot meet is skipped with its reason, named in the
// backend's `Unmet`.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "framework/OperatingSystem.h"

namespace mova::test {

// A folder of the system under test for one check, and the means to put
// things there without going through the seam.
class ISystemPlace {
 public:
  virtual ~ISystemPlace() = default;
  virtual IOperatingSystem& System() = 0;
  // The path of `name` in the folder, in the system's spelling.
  virtual std::string Path(const std::string& name) = 0;
  virtual void Write(const std::string& name, const std::string& bytes) = 0;
  virtual void MakeFolder(const std::string& name) = 0;
  // Makes `name` a second name of the file `target`.
  virtual void Link(const std::string& target, const std::string& name) = 0;
  // A file of `size` bytes that end with `tail`, the rest never written.
  virtual void MakeSparse(const std::string& name, int64_t size, const std::string& tail) = 0;
  // Sets (or, with nothing, unsets) an environment variable.
  virtual void SetEnvironment(const std::string& name, const std::optional<std::string>& value) = 0;
  // How many names the folder holds.
  virtual int Entries() = 0;
};

struct TSystemBackend {
  std::string Id;    // a word, for the tests' names
  std::string Name;  // for messages
  std::function<std::unique_ptr<ISystemPlace>()> NewPlace;
  // The checks this system cannot meet, by test name, with the reason.
  std::map<std::string, std::string> Unmet = {};
};

inline std::string SystemId(const ::testing::TestParamInfo<const TSystemBackend*>& info) { return info.param->Id; }
inline void PrintTo(const TSystemBackend* backend, std::ostream* out) { *out << backend->Name; }

class SystemContract : public ::testing::TestWithParam<const TSystemBackend*> {
 protected:
  void SetUp() override;
  std::unique_ptr<ISystemPlace> Place;
};

}  // namespace mova::test
