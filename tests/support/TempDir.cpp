#include "support/TempDir.h"

#include <fstream>

#include "support/GeneratedMedia.h"

namespace mova::testing {

TempDir::TempDir() {
  path_ = std::filesystem::temp_directory_path() / ("mova-test-" + test::UniqueToken());
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return Path(name);
}

}  // namespace mova::testing
