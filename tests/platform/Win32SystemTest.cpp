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

TEST(Win32System, AnExistingFileIsReplacedWholeAndAFolderIsNot) {
  TempDir dir;
  TWin32System system;
  dir.Write("shot.bmp", std::string(5000, 'o'));
  const std::vector<uint8_t> bytes{'n', 'e', 'w'};
  ASSERT_EQ(system.WriteFileAtomically(dir.Path("shot.bmp"), bytes), 0);
  std::ifstream in(dir.Path("shot.bmp"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  in.close();

  std::filesystem::create_directory(dir.Path("taken.bmp"));
  EXPECT_NE(system.WriteFileAtomically(dir.Path("taken.bmp"), bytes), 0);
  EXPECT_NE(system.WriteFileAtomically(dir.Path("missing\\x.bmp"), bytes), 0);
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path(""))) entries += entry.exists() ? 1 : 0;
  EXPECT_EQ(entries, 2) << "no temporary file is left behind";
}

TEST(Win32System, TheEnvironmentThroughTheSystemsCalls) {
  TWin32System system;
  const std::string longValue(300, 'v');
  ASSERT_TRUE(SetEnvironmentVariableA("MOVA_TEST_LONG", longValue.c_str()));
  ASSERT_TRUE(SetEnvironmentVariableA("MOVA_TEST_DIR", "C:\\keys"));
  SetEnvironmentVariableA("MOVA_TEST_UNSET", nullptr);
  EXPECT_EQ(system.GetEnvironment("MOVA_TEST_LONG"), longValue) << "read whole; the caller applies its limit";
  EXPECT_EQ(system.GetEnvironment("MOVA_TEST_DIR"), "C:\\keys");
  EXPECT_EQ(system.GetEnvironment("MOVA_TEST_UNSET"), std::nullopt);
  EXPECT_EQ(system.ExpandEnvironment("%MOVA_TEST_DIR%\\extra %MOVA_TEST_UNSET%", 1023),
            "C:\\keys\\extra %MOVA_TEST_UNSET%");
  EXPECT_EQ(system.ExpandEnvironment("%MOVA_TEST_LONG%%MOVA_TEST_LONG%", 500), std::nullopt);
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
