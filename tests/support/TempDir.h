#pragma once
// A folder of its own for each test, removed with everything in it afterwards.
#include <filesystem>
#include <string>

namespace mova::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The path of `name` in the folder, in the system's spelling.
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

  // Writes `bytes` exactly as given (no line-end translation) and returns the file's path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace mova::testing
