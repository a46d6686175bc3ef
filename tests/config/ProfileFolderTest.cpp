#include "config/ProfileFolder.h"

#include <gtest/gtest.h>

#include "support/HostSystem.h"
#include "support/MemorySystem.h"

namespace mova {
namespace {

// Resolves for a process with this first argument and QADLPROF value
// (nullptr: unset); `reads` counts the environment look-ups.
std::string Resolve(const std::string& argument, const char* variable, int* reads = nullptr,
                    const std::string& exe = "/opt/mova/bin/mova", TPathRules rules = {}) {
  ProfileSources sources{argument, nullptr, exe, rules};
  sources.GetEnvironment = [=](const std::string& name) -> std::optional<std::string> {
    if (reads != nullptr) ++*reads;
    if (name != "QADLPROF" || variable == nullptr) return std::nullopt;
    return std::string(variable);
  };
  return ResolveProfileFolder("mova", sources);
}

TEST(ProfileFolder, TheOptionWinsTakenAsWrittenAndTheVariableIsNotRead) {
  int reads = 0;
  EXPECT_EQ(Resolve("/prof=/cfg", "/env", &reads), "/cfg/");
  EXPECT_EQ(Resolve("/prof=/cfg/", "/env", &reads), "/cfg/");
  EXPECT_EQ(Resolve("/prof=my cfg", "/env", &reads), "my cfg/");
  EXPECT_EQ(Resolve("/prof=%HOME%", "/env", &reads), "%HOME%/");
  EXPECT_EQ(reads, 0);
}

TEST(ProfileFolder, OtherwiseTheVariableWithTheSubFolder) {
  for (const char* argument : {"/prof=", "/PROF=/cfg", "-prof=/cfg", "/prof", "film.avi", ""}) {
    EXPECT_EQ(Resolve(argument, "/env"), "/env/mova/") << argument;
  }
  EXPECT_EQ(Resolve("", "/env/"), "/env/mova/");
  EXPECT_EQ(Resolve("", "cfg"), "cfg/mova/");
  const std::string longest(260, 'x');
  EXPECT_EQ(Resolve("", longest.c_str()), longest + "/mova/");
}

TEST(ProfileFolder, OtherwiseTheExecutablesFolder) {
  EXPECT_EQ(Resolve("", nullptr), "/opt/mova/bin/");
  EXPECT_EQ(Resolve("", ""), "/opt/mova/bin/");
  EXPECT_EQ(Resolve("", std::string(261, 'x').c_str()), "/opt/mova/bin/") << "too long counts as unset";
  EXPECT_EQ(Resolve("", nullptr, nullptr, "/mova"), "/");

  std::string own = ResolveProfileFolder("mova", test::HostSystem());  // the real process: never empty
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(own.back(), test::HostSystem().PathRules().Separator);
}

TEST(ProfileFolder, OnWindowsTheBackslashIsTheSeparator) {
  const TPathRules windows{'\\', true};
  const std::string exe = "C:\\Tools\\app.exe";
  EXPECT_EQ(Resolve("/prof=C:\\cfg", nullptr, nullptr, exe, windows), "C:\\cfg\\");
  EXPECT_EQ(Resolve("/prof=C:\\cfg\\", nullptr, nullptr, exe, windows), "C:\\cfg\\");
  EXPECT_EQ(Resolve("/prof=x/", nullptr, nullptr, exe, windows), "x/\\") << "a slash is no trailing separator";
  EXPECT_EQ(Resolve("", "D:\\Settings", nullptr, exe, windows), "D:\\Settings\\mova\\");
  EXPECT_EQ(Resolve("", "D:\\Settings\\", nullptr, exe, windows), "D:\\Settings\\mova\\");
  EXPECT_EQ(Resolve("", nullptr, nullptr, exe, windows), "C:\\Tools\\");
}

TEST(ProfileFolder, TheSystemGivesTheFirstArgumentTheVariableAndTheFullExecutablePath) {
  test::TMemorySystem system;
  system.Executable = "bin/mova";  // made absolute against the current folder
  EXPECT_EQ(ResolveProfileFolder("mova", system), "/home/user/bin/");
  system.Environment["QADLPROF"] = "/env";
  EXPECT_EQ(ResolveProfileFolder("mova", system), "/env/mova/");
  system.ArgumentList = {"/prof=/cfg", "/prof=/second"};
  EXPECT_EQ(ResolveProfileFolder("mova", system), "/cfg/");
}

}  // namespace
}  // namespace mova
