// What every implementation of the operating-system seam promises, checked
// on the system the tests run on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "player/FileReader.h"
#include "support/HostSystem.h"
#include "support/TempDir.h"

namespace mova {
namespace {

using testing::TempDir;

TEST(System, AMissingFileIsErrorTwo) {
  TempDir dir;
  int32_t error = 0;
  EXPECT_EQ(test::HostSystem().OpenForReading(dir.Path("missing.avi"), error), nullptr);
  EXPECT_EQ(error, 2);
}

TEST(System, AFileOverTwoGibibytesIsReadAtItsEnd) {
  TempDir dir;
  const std::string name = dir.Path("big.bin");
  const std::streamoff size = (std::streamoff{5} << 30) / 2;  // 2.5 GiB, sparse: nothing but the tail is written
  {
    std::ofstream out(name, std::ios::binary);
    out.seekp(size - 8);
    out.write("TAILDATA", 8);
    ASSERT_TRUE(out.good());
  }
  int32_t error = 0;
  auto file = test::HostSystem().OpenForReading(name, error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(file->Size(), size);
  uint8_t tail[16]{};
  const TReadResult got = file->ReadAt(size - 8, tail);
  EXPECT_EQ(got.Error, 0);
  ASSERT_EQ(got.Count, 8u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(tail), 8), "TAILDATA");
  EXPECT_EQ(file->ReadAt(size, tail).Count, 0u);

  // The probes' reader seeks there too.
  auto reader = OpenFileReader(test::HostSystem(), name);
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(reader->Seek(size - 4));
  char last[4];
  ASSERT_TRUE(reader->ReadExact(last, 4));
  EXPECT_EQ(std::string(last, 4), "DATA");
}

TEST(System, TwoNamesOfOneFileHaveOneIdentityAndOthersAnother) {
  TempDir dir;
  dir.Write("a", "one");
  dir.Write("b", "one");
  std::filesystem::create_hard_link(dir.Path("a"), dir.Path("link"));
  IOperatingSystem& system = test::HostSystem();
  int32_t error = 0;
  auto a = system.OpenForReading(dir.Path("a"), error);
  auto link = system.OpenForReading(dir.Path("link"), error);  // while `a` is open: others may read
  auto b = system.OpenForReading(dir.Path("b"), error);
  ASSERT_TRUE(a && link && b);
  EXPECT_EQ(a->Identity(), link->Identity());
  EXPECT_NE(a->Identity(), b->Identity());
}

}  // namespace
}  // namespace mova
