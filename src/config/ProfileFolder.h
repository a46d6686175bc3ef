#pragma once
// The per-user profile folder that holds the key map: decided once at start-up.
#include <functional>
#include <optional>
#include <string>

#include "framework/OperatingSystem.h"

namespace mova {

constexpr char ProfileOption[] = "/prof=";
constexpr char ProfileVariable[] = "QADLPROF";

// Everything the decision reads from the process, handed in so that it can be
// made without a real process.
struct ProfileSources {
  std::string FirstArgument;  // empty when there is no argument
  std::function<std::optional<std::string>(const std::string&)> GetEnvironment;
  std::string ExecutablePath;  // full path of the running program
  TPathRules Rules;
};

// The first that gives a folder wins: the first argument "/prof=<folder>",
// then the environment variable's folder with `subFolderName` under it, then
// the executable's folder. The result always ends with the separator; only
// the separator itself counts as one at the end. Nothing is expanded, made
// absolute or created.
std::string ResolveProfileFolder(const std::string& subFolderName, const ProfileSources& sources);

// The same with the process's first argument, environment and executable.
std::string ResolveProfileFolder(const std::string& subFolderName, IOperatingSystem& system);

// Whether `argument` is the profile option (exact, case-sensitive prefix).
bool IsProfileOption(const std::string& argument);

}  // namespace mova
