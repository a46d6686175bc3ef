#include "config/ProfileFolder.h"

#include <gtest/gtest.h>

#include <map>

namespace mova {
namespace {

// The sources of a process whose environment holds `environment`, counting
// how often the environment is read.
struct FakeProcess {
  std::map<std::string, std::string> Environment;
  int EnvironmentReads = 0;

  std::string Resolve(const std::string& firstArgument, const std::string& exe = "/opt/mova/bin/mova") {
    ProfileSources sources;
    sources.FirstArgument = firstArgument;
    sources.ExecutablePath = exe;
    sources.GetEnvironment = [this](const std::string& name) -> std::optional<std::string> {
      ++EnvironmentReads;
      auto found = Environment.find(name);
      if (found == Environment.end()) return std::nullopt;
      return found->second;
    };
    return ResolveProfileFolder("mova", sources);
  }
};

TEST(ProfileFolder, TheOptionWinsAndTheVariableIsThenNotRead) {
  FakeProcess process;
  process.Environment["QADLPROF"] = "/env";
  EXPECT_EQ(process.Resolve("/prof=/cfg"), "/cfg/");
  EXPECT_EQ(process.Resolve("/prof=/cfg/"), "/cfg/");
  EXPECT_EQ(process.Resolve("/prof=my cfg"), "my cfg/") << "relative values and blanks stay";
  EXPECT_EQ(process.Resolve("/prof=%HOME%"), "%HOME%/") << "nothing is expanded";
  EXPECT_EQ(process.EnvironmentReads, 0);
}

TEST(ProfileFolder, ArgumentsThatAreNotTheOptionPassTheDecisionOn) {
  FakeProcess process;
  process.Environment["QADLPROF"] = "/env";
  for (const char* argument : {"/prof=", "/PROF=/cfg", "-prof=/cfg", "/prof", "film.avi", ""}) {
    EXPECT_EQ(process.Resolve(argument), "/env/mova/") << argument;
  }
}

TEST(ProfileFolder, TheVariableGetsTheSubFolder) {
  FakeProcess process;
  process.Environment["QADLPROF"] = "/home/u/settings";
  EXPECT_EQ(process.Resolve(""), "/home/u/settings/mova/");
  process.Environment["QADLPROF"] = "/home/u/settings/";
  EXPECT_EQ(process.Resolve(""), "/home/u/settings/mova/");
  process.Environment["QADLPROF"] = "cfg";
  EXPECT_EQ(process.Resolve(""), "cfg/mova/");
}

TEST(ProfileFolder, WithoutOptionAndVariableTheExecutablesFolder) {
  FakeProcess process;
  EXPECT_EQ(process.Resolve(""), "/opt/mova/bin/");
  process.Environment["QADLPROF"] = "";
  EXPECT_EQ(process.Resolve("", "/mova"), "/");
  process.Environment["QADLPROF"] = std::string(261, 'x');
  EXPECT_EQ(process.Resolve(""), "/opt/mova/bin/") << "a value too long for its buffer counts as unset";
  process.Environment["QADLPROF"] = std::string(260, 'x');
  EXPECT_EQ(process.Resolve(""), std::string(260, 'x') + "/mova/");
}

TEST(ProfileFolder, TheRunningProcessResolvesToAFolder) {
  std::string folder = ResolveProfileFolder("mova");
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(IsProfileOption("/prof=x"));
  EXPECT_FALSE(IsProfileOption("/prof"));
}

}  // namespace
}  // namespace mova
