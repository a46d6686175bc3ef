#include "support/GeneratedMedia.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace mova::test {

std::string TestMediaDir() { return MOVA_TEST_MEDIA_DIR; }

std::string UniqueToken() {
  static const std::string start = std::to_string(std::random_device{}()) + "-" +
                                   std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  static std::atomic<int> counter{0};
  return start + "-" + std::to_string(counter++);
}

std::string BuiltMedia(const std::string& name) {
  const std::string path = TestMediaDir() + "/" + name;
  return std::filesystem::exists(path) ? path : std::string();
}

std::string GeneratedMedia(const std::string& name, const std::string& command) {
  namespace fs = std::filesystem;
  const std::string target = TestMediaDir() + "/" + name;
  if (fs::exists(target)) return target;
  // Keep the extension last: the tools pick the container from it.
  const std::string temp = TestMediaDir() + "/tmp-" + UniqueToken() + "-" + name;
  std::string cmd = command;
  for (size_t at; (at = cmd.find("{OUT}")) != std::string::npos;) cmd.replace(at, 5, "'" + temp + "'");
  cmd += " >/dev/null 2>&1 </dev/null";
  if (std::system(cmd.c_str()) != 0 || !fs::exists(temp)) {
    std::error_code ec;
    fs::remove(temp, ec);
    return "";
  }
  fs::rename(temp, target);
  return target;
}

std::string WriteTestFile(const std::string& name, const std::string& bytes) {
  const std::string path = TestMediaDir() + "/" + name;
  const std::string temp = path + ".tmp" + UniqueToken();
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::filesystem::rename(temp, path);
  return path;
}

}  // namespace mova::test
