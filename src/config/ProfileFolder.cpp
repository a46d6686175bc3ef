#include "config/ProfileFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace mova {

namespace {

// Environment values and the executable's path are read into 261-byte
// buffers: a value of 261 characters or more does not fit and counts as unset.
constexpr std::size_t MaxEnvironmentValue = 260;

void AppendSeparatorIfMissing(std::string& folder) {
  if (folder.empty() || folder.back() != PathSeparator) folder.push_back(PathSeparator);
}

// argv[1] of this process, from the kernel's copy of the command line.
std::string ReadFirstArgument() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::size_t endOfProgram = all.find('\0');
  if (endOfProgram == std::string::npos || endOfProgram + 1 >= all.size()) return {};
  std::size_t start = endOfProgram + 1;
  std::size_t end = all.find('\0', start);
  return all.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string ReadExecutablePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace

bool IsProfileOption(const std::string& argument) {
  return argument.compare(0, sizeof(ProfileOption) - 1, ProfileOption) == 0 &&
         argument.size() >= sizeof(ProfileOption) - 1;
}

std::string ResolveProfileFolder(const std::string& subFolderName, const ProfileSources& sources) {
  if (IsProfileOption(sources.FirstArgument)) {
    std::string folder = sources.FirstArgument.substr(sizeof(ProfileOption) - 1);
    if (!folder.empty()) {
      AppendSeparatorIfMissing(folder);
      return folder;
    }
  }

  if (sources.GetEnvironment) {
    std::optional<std::string> value = sources.GetEnvironment(ProfileVariable);
    if (value && value->size() <= MaxEnvironmentValue) {
      // The value is read up to its first zero byte, as a C string would be.
      std::string folder = value->substr(0, value->find('\0'));
      if (!folder.empty()) {
        AppendSeparatorIfMissing(folder);
        folder += subFolderName;
        folder.push_back(PathSeparator);
        return folder;
      }
    }
  }

  // The executable's folder, with its separator; a path without one (which
  // the running system never gives) stands for the current folder.
  std::size_t lastSeparator = sources.ExecutablePath.rfind(PathSeparator);
  if (lastSeparator == std::string::npos) return std::string(".") + PathSeparator;
  return sources.ExecutablePath.substr(0, lastSeparator + 1);
}

std::string ResolveProfileFolder(const std::string& subFolderName) {
  ProfileSources sources;
  sources.FirstArgument = ReadFirstArgument();
  sources.GetEnvironment = [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
  sources.ExecutablePath = ReadExecutablePath();
  return ResolveProfileFolder(subFolderName, sources);
}

}  // namespace mova
