#include <gtest/gtest.h>

#include "player/MemoryReader.h"
#include "player/RiffWalk.h"
#include "support/RiffBytes.h"

namespace mova {
namespace {

using test::Chunk;
using test::ChunkHeader;
using test::List;

TEST(RiffWalk, FindsAChunkInsideNestedListsAndStopsAtItsId) {
  const std::string before = Chunk("JUNK", std::string(10, 'j'));
  const std::string inner = List("LIST", "strl", Chunk("strh", std::string(8, 'h')) + Chunk("strf", "FORMAT"));
  MemoryReader file(List("RIFF", "AVI ", before + List("LIST", "hdrl", inner)));
  int64_t size = -1;
  ASSERT_TRUE(FindChunk(file, ToFourCC("strf"), size));
  EXPECT_EQ(size, 6);
  const int64_t expected = 12 + static_cast<int64_t>(before.size()) + 12 + 12 + 16;
  EXPECT_EQ(file.Position(), expected);
  char id[4];
  ASSERT_TRUE(file.ReadExact(id, 4));
  EXPECT_EQ(std::string(id, 4), "strf");
}

TEST(RiffWalk, AListSoughtByNameLeavesThePositionAfterItsFormType) {
  MemoryReader file(List("RIFF", "AVI ", Chunk("JUNK", "ab") + List("LIST", "movi", Chunk("00dc", "xy"))));
  int64_t size = 0;
  ASSERT_TRUE(FindChunk(file, ToFourCC("RIFF"), size));
  EXPECT_EQ(file.Position(), 12);
  ASSERT_TRUE(FindChunk(file, ToFourCC("LIST"), size));
  EXPECT_EQ(size, 4 + 10);
  EXPECT_EQ(file.Position(), 12 + 10 + 12);
}

TEST(RiffWalk, OddSizedChunksAreSkippedWithTheirPadByte) {
  MemoryReader file(List("RIFF", "AVI ", Chunk("odd1", "12345") + Chunk("odd2", "abc") + Chunk("want", "z")));
  int64_t size = 0;
  ASSERT_TRUE(FindChunk(file, ToFourCC("want"), size));
  EXPECT_EQ(size, 2);
  EXPECT_EQ(file.Position(), 12 + 14 + 12);

  MemoryReader again(List("RIFF", "AVI ", Chunk("odd1", "12345") + Chunk("want", "z")));
  ASSERT_TRUE(FindChunk(again, ToFourCC("odd1"), size));
  EXPECT_EQ(size, 6);  // the sought chunk's size includes its pad byte
}

TEST(RiffWalk, CodesCompareExactlyIncludingCase) {
  MemoryReader file(List("RIFF", "AVI ", Chunk("AVIH", "1234") + Chunk("avih", "5678")));
  int64_t size = 0;
  ASSERT_TRUE(FindChunk(file, ToFourCC("avih"), size));
  EXPECT_EQ(file.Position(), 12 + 12);
  EXPECT_EQ(ToFourCC("AVI"), ToFourCC("AVI "));
}

TEST(RiffWalk, AFileNotStartingWithRiffOrListIsNotSearched) {
  // An MPEG program stream: the walk gives up after the first 8 bytes.
  const std::string mpeg = std::string("\x00\x00\x01\xBA", 4) + std::string(4, '\x44') + Chunk("RIFF", "");
  MemoryReader file(mpeg);
  int64_t size = 0;
  EXPECT_FALSE(FindChunk(file, ToFourCC("RIFF"), size));
  EXPECT_EQ(file.Position(), 8);
}

TEST(RiffWalk, EachCallResumesWhereThePreviousOneStopped) {
  MemoryReader file(List("RIFF", "AVI ", Chunk("strf", "first") + Chunk("strf", "second")));
  int64_t size = 0;
  ASSERT_TRUE(FindChunk(file, ToFourCC("strf"), size));
  EXPECT_EQ(size, 6);
  ASSERT_TRUE(file.Seek(file.Position() + 8 + size));
  ASSERT_TRUE(FindChunk(file, ToFourCC("strf"), size));
  EXPECT_EQ(file.Position(), 12 + 14);
  ASSERT_TRUE(file.Seek(file.Position() + 8 + size));
  EXPECT_FALSE(FindChunk(file, ToFourCC("strf"), size));
}

TEST(RiffWalk, MissingChunksAndTruncatedHeadersEndTheWalkWithFalse) {
  int64_t size = 0;
  MemoryReader empty(std::string{});
  EXPECT_FALSE(FindChunk(empty, ToFourCC("RIFF"), size));
  MemoryReader shortHeader(std::string("RIFF\x10\x00", 6));
  EXPECT_FALSE(FindChunk(shortHeader, ToFourCC("RIFF"), size));
  MemoryReader noFormType(std::string("RIFF\x10\x00\x00\x00", 8));
  EXPECT_FALSE(FindChunk(noFormType, ToFourCC("RIFF"), size));
  MemoryReader dataCutShort(List("RIFF", "AVI ", ChunkHeader("JUNK", 100) + std::string(20, 'j')));
  EXPECT_FALSE(FindChunk(dataCutShort, ToFourCC("avih"), size));
}

TEST(RiffWalk, HugeSizesNeverMoveTheWalkBackwards) {
  int64_t size = 0;
  // Read as signed, -8 would step back onto the same header for ever.
  MemoryReader minusEight(List("RIFF", "AVI ", ChunkHeader("JUNK", 0xFFFFFFF8u) + std::string(64, 'j')));
  EXPECT_FALSE(FindChunk(minusEight, ToFourCC("avih"), size));
  MemoryReader minusSixteen(List("RIFF", "AVI ", Chunk("avix", "12") + ChunkHeader("JUNK", 0xFFFFFFF0u)));
  EXPECT_FALSE(FindChunk(minusSixteen, ToFourCC("avih"), size));

  // A sought chunk claiming more than 2 GiB is still found, with a positive size.
  MemoryReader big(List("RIFF", "AVI ", Chunk("JUNK", "ab") + ChunkHeader("00dc", 0x80000001u)));
  ASSERT_TRUE(FindChunk(big, ToFourCC("00dc"), size));
  EXPECT_EQ(size, 0x80000002LL);
  EXPECT_EQ(big.Position(), 12 + 10);

  // A list's own size is not used to move, so a bogus one does not matter.
  MemoryReader bogusList("RIFF" + test::Le32(0xFFFFFFFFu) + "AVI " + Chunk("avih", "1234"));
  ASSERT_TRUE(FindChunk(bogusList, ToFourCC("avih"), size));
  EXPECT_EQ(size, 4);
}

}  // namespace
}  // namespace mova
