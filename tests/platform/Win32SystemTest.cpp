// What only the Windows implementation of the seam does.
#include "platform/win32/Win32System.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TempDir.h"

namespace mova {
namespace {

using testing::TempDir;

TEST(Win32System, CreateFileErrorCodesComeBackAsTheyAre) {
  TempDir dir;
  TWin32System system;
  int32_t error = 0;
  EXPECT_EQ(system.OpenForReading(dir.Path("missing.avi"), error), nullptr);
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(system.OpenForReading(dir.Path("no folder\\x.avi"), error), nullptr);
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  std::filesystem::create_directory(dir.Path("folder"));
  EXPECT_EQ(system.OpenForReading(dir.Path("folder"), error), nullptr);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_EQ(system.OpenForReading("CON", error), nullptr) << "a console is no file";
}

TEST(Win32System, TheExecutableAndFullPathsAreTheSystems) {
  TWin32System system;
  const std::string exe = system.ExecutablePath();
  EXPECT_NE(exe.find("system_tests.exe"), std::string::npos) << exe;
  EXPECT_EQ(system.FullPath("C:\\a\\.\\b\\..\\c.avi"), "C:\\a\\c.avi");
  EXPECT_EQ(system.FullPath("C:/a/c.avi"), "C:\\a\\c.avi");
  EXPECT_EQ(system.PathRules().Separator, '\\');
}

}  // namespace
}  // namespace mova
