#include "config/ProfileFolder.h"

#include <vector>

#include "framework/PathNames.h"

namespace mova {

namespace {

// Environment values and the executable's path are read into 261-byte
// buffers: a value of 261 characters or more does not fit and counts as unset.
constexpr std::size_t MaxEnvironmentValue = 260;

}  // namespace

bool IsProfileOption(const std::string& argument) {
  return argument.compare(0, sizeof(ProfileOption) - 1, ProfileOption) == 0 &&
         argument.size() >= sizeof(ProfileOption) - 1;
}

std::string ResolveProfileFolder(const std::string& subFolderName, const ProfileSources& sources) {
  if (IsProfileOption(sources.FirstArgument)) {
    std::string folder = sources.FirstArgument.substr(sizeof(ProfileOption) - 1);
    if (!folder.empty()) return WithTrailingSeparator(folder, sources.Rules);
  }

  if (sources.GetEnvironment) {
    std::optional<std::string> value = sources.GetEnvironment(ProfileVariable);
    if (value && value->size() <= MaxEnvironmentValue) {
      // The value is read up to its first zero byte, as a C string would be.
      std::string folder = value->substr(0, value->find('\0'));
      if (!folder.empty()) {
        folder = WithTrailingSeparator(folder, sources.Rules) + subFolderName;
        folder.push_back(sources.Rules.Separator);
        return folder;
      }
    }
  }

  // The executable's folder, with its separator; a path without one (which
  // the running system never gives) stands for the current folder.
  const std::size_t nameStart = FileNameStart(sources.ExecutablePath, sources.Rules);
  if (nameStart == 0) return std::string(".") + sources.Rules.Separator;
  return sources.ExecutablePath.substr(0, nameStart);
}

std::string ResolveProfileFolder(const std::string& subFolderName, IOperatingSystem& system) {
  ProfileSources sources;
  const std::vector<std::string> arguments = system.Arguments();
  if (!arguments.empty()) sources.FirstArgument = arguments.front();
  sources.GetEnvironment = [&system](const std::string& name) { return system.GetEnvironment(name); };
  sources.ExecutablePath = system.FullPath(system.ExecutablePath());
  sources.Rules = system.PathRules();
  return ResolveProfileFolder(subFolderName, sources);
}

}  // namespace mova
