#include "config/ProfileFolder.h"

#include <gtest/gtest.h>

namespace mova {
namespace {

// Resolves for a process with this first argument and QADLPROF value
// (nullptr: unset); `reads` counts the environment look-ups.
std::string Resolve(const std::string& argument, const char* variable, int* reads = nullptr,
                    const std::string& exe = "/opt/mova/bin/mova") {
  ProfileSources sources{argument, nullptr, exe};
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

  std::string own = ResolveProfileFolder("mova");  // the real process: never empty
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(own.back(), '/');
}

}  // namespace
}  // namespace mova
