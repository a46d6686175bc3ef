#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <vector>

#include "player/FileReader.h"
#include "player/MemoryReader.h"
#include "support/GeneratedMedia.h"
#include "support/HostSystem.h"

namespace mova {
namespace {

// Bytes whose value tells their offset, so a read from the wrong place shows.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(FileReader, RefusesFoldersAndMissingFiles) {
  EXPECT_EQ(OpenFileReader(test::HostSystem(), test::TestMediaDir()), nullptr);
  EXPECT_EQ(OpenFileReader(test::HostSystem(), test::TestMediaDir() + "/no-such-file.avi"), nullptr);
  EXPECT_EQ(OpenFileReader(test::HostSystem(), ""), nullptr);
}

// The same sequence of reads and seeks must give the same bytes from a file
// and from memory, across the file reader's buffer boundaries.
TEST(FileReader, ReadsAndSeeksLikeMemory) {
  const std::string bytes = Pattern(200000);
  auto file = OpenFileReader(test::HostSystem(), test::WriteTestFile("reader-pattern.bin", bytes));
  ASSERT_NE(file, nullptr);
  MemoryReader memory(bytes);
  EXPECT_EQ(file->Size(), 200000);

  struct Step {
    int64_t seek;  // -1: read on from where the last read ended
    size_t count;
  };
  const Step steps[] = {{-1, 8},      {-1, 65520},  {-1, 40},    {65530, 12}, {10, 100000},
                        {199990, 10}, {199990, 20}, {200000, 1}, {5, 3},      {131070, 4},
                        {150000, 5000}, {4095, 2},  {70000, 8},  {-1, 70000}, {-1, 8}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.seek);
    if (step.seek >= 0) {
      ASSERT_TRUE(file->Seek(step.seek));
      ASSERT_TRUE(memory.Seek(step.seek));
    }
    std::vector<uint8_t> fromFile(step.count, 0xAB), fromMemory(step.count, 0xAB);
    const size_t got = file->ReadSome(fromFile.data(), step.count);
    EXPECT_EQ(got, memory.ReadSome(fromMemory.data(), step.count));
    EXPECT_EQ(fromFile, fromMemory);
    EXPECT_EQ(file->Position(), memory.Position());
  }
}

TEST(FileReader, ExactReadsFailShortAndSeeksStayInRange) {
  const std::string bytes = Pattern(1000);
  auto file = OpenFileReader(test::HostSystem(), test::WriteTestFile("reader-short.bin", bytes));
  ASSERT_NE(file, nullptr);
  char buffer[16];
  ASSERT_TRUE(file->Seek(990));
  EXPECT_FALSE(file->ReadExact(buffer, 16));
  ASSERT_TRUE(file->Seek(984));
  EXPECT_TRUE(file->ReadExact(buffer, 16));
  EXPECT_EQ(std::string(buffer, 16), bytes.substr(984));
  EXPECT_EQ(file->ReadSome(buffer, 16), 0u);
  EXPECT_FALSE(file->Seek(1001));
  EXPECT_FALSE(file->Seek(-1));
  EXPECT_EQ(file->Position(), 1000);
  EXPECT_TRUE(file->Seek(0));
}

TEST(MemoryReader, ShortExactReadLeavesThePosition) {
  MemoryReader memory(std::string("abcdef"));
  char buffer[8];
  ASSERT_TRUE(memory.Seek(4));
  EXPECT_FALSE(memory.ReadExact(buffer, 3));
  EXPECT_EQ(memory.Position(), 4);
  EXPECT_EQ(memory.ReadSome(buffer, 8), 2u);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_FALSE(memory.Seek(7));
}

}  // namespace
}  // namespace mova
