#include "player/BitmapWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "capture/BitmapFile.h"
#include "support/HostSystem.h"
#include "support/MemorySystem.h"

namespace mova {
namespace {

using test::LittleU16;
using test::LittleU32;
using test::ReadBytes;
using test::TScratchFolder;

// Each pixel gets a colour from its place, so any mix-up of rows, columns or
// channels shows.
TRgbImage Gradient(int32_t width, int32_t height) {
  TRgbImage image{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      image.Pixels.insert(image.Pixels.end(), {static_cast<uint8_t>(10 + x), static_cast<uint8_t>(100 + y),
                                               static_cast<uint8_t>(200 + x + y)});
    }
  }
  return image;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(BitmapWriter, HeadersDescribeAnUncompressed24BitBottomUpPicture) {
  const std::vector<uint8_t> bytes = EncodeBitmap(Gradient(5, 3));
  ASSERT_EQ(bytes.size(), 54u + 16u * 3u);  // 5 pixels = 15 bytes, padded to 16
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(LittleU32(bytes, 2), bytes.size());  // bfSize
  EXPECT_EQ(LittleU32(bytes, 6), 0u);            // both reserved words
  EXPECT_EQ(LittleU32(bytes, 10), 54u);          // bfOffBits
  EXPECT_EQ(LittleU32(bytes, 14), 40u);          // biSize
  EXPECT_EQ(LittleU32(bytes, 18), 5u);           // biWidth
  EXPECT_EQ(LittleU32(bytes, 22), 3u);           // biHeight > 0: bottom-up
  EXPECT_EQ(LittleU16(bytes, 26), 1u);           // biPlanes
  EXPECT_EQ(LittleU16(bytes, 28), 24u);          // biBitCount
  EXPECT_EQ(LittleU32(bytes, 30), 0u);           // BI_RGB
  EXPECT_EQ(LittleU32(bytes, 34), 48u);          // biSizeImage
  for (size_t at = 38; at < 54; at += 4) EXPECT_EQ(LittleU32(bytes, at), 0u) << "field at " << at;
}

TEST(BitmapWriter, RowsArePaddedToFourBytesWithZeros) {
  for (const auto& [width, stride] : {std::pair{1, 4u}, {2, 8u}, {3, 12u}, {4, 12u}, {5, 16u}}) {
    SCOPED_TRACE(width);
    EXPECT_EQ(BitmapRowStride(width), stride);
    const std::vector<uint8_t> bytes = EncodeBitmap(Gradient(width, 2));
    ASSERT_EQ(bytes.size(), 54u + 2 * stride);
    EXPECT_EQ(LittleU32(bytes, 34), 2 * stride);
    for (size_t row = 0; row < 2; ++row) {
      for (size_t pad = width * 3u; pad < stride; ++pad) EXPECT_EQ(bytes[54 + row * stride + pad], 0);
    }
  }
}

TEST(BitmapWriter, StoresBottomRowFirstInBlueGreenRedOrder) {
  // Top row: red, green; bottom row: blue, white.
  const TRgbImage image{2, 2, {255, 0, 0, 0, 255, 0, /**/ 0, 0, 255, 255, 255, 255}};
  const std::vector<uint8_t> bytes = EncodeBitmap(image);
  const std::vector<uint8_t> rows(bytes.begin() + 54, bytes.end());
  const std::vector<uint8_t> expected{255, 0, 0, 255, 255, 255, 0, 0,  // bottom: blue, white, padding
                                      0, 0, 255, 0, 255, 0, 0, 0};     // top: red, green, padding
  EXPECT_EQ(rows, expected);
}

TEST(BitmapWriter, ReadsBackAsTheSamePicture) {
  const TRgbImage image = Gradient(7, 5);
  const test::TReadBitmap read = test::ParseBitmap(EncodeBitmap(image));
  ASSERT_TRUE(read.Ok);
  EXPECT_EQ(read.Width, 7);
  EXPECT_EQ(read.Height, 5);
  EXPECT_EQ(read.Rgb, image.Pixels);
}

TEST(BitmapWriter, RefusesPicturesItCannotStore) {
  EXPECT_TRUE(EncodeBitmap(TRgbImage{0, 0, {}}).empty());
  EXPECT_TRUE(EncodeBitmap(TRgbImage{-2, 1, {1, 2, 3, 4, 5, 6}}).empty());
  EXPECT_TRUE(EncodeBitmap(TRgbImage{2, 2, std::vector<uint8_t>(11)}).empty());  // one byte short
  EXPECT_TRUE(EncodeBitmap(TRgbImage{2, 2, std::vector<uint8_t>(13)}).empty());  // one byte over
  EXPECT_TRUE(BitmapSizeValid(1, 1));
  EXPECT_TRUE(BitmapSizeValid(16384, 16384));       // 805 306 422 bytes
  EXPECT_FALSE(BitmapSizeValid(32768, 32768));      // over 2 GiB
  EXPECT_FALSE(BitmapSizeValid(INT32_MAX, 1));      // the stride alone overflows 32 bits
  // 0x55555556 * 3 bytes is 2 past 2^32: a stride taken in 32 bits wraps to 4.
  EXPECT_EQ(BitmapRowStride(0x55555556), 0x100000004u);
  EXPECT_FALSE(BitmapSizeValid(0x55555556, 1));
  EXPECT_FALSE(BitmapSizeValid(1, INT32_MAX));
  EXPECT_FALSE(BitmapSizeValid(5, 0));
}

TEST(BitmapWriter, WritesTheFileUnderExactlyTheGivenName) {
  TScratchFolder folder;
  const TRgbImage image = Gradient(3, 2);
  ASSERT_TRUE(WriteBitmapFile(test::HostSystem(), folder / "frame", image));
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"frame"});  // no ".bmp" added, no leftovers
  EXPECT_EQ(ReadBytes(folder / "frame"), EncodeBitmap(image));
}

TEST(BitmapWriter, ReplacesAnExistingFile) {
  TScratchFolder folder;
  WriteText(folder / "old.bmp", std::string(5000, 'x'));
  const TRgbImage image = Gradient(2, 2);
  ASSERT_TRUE(WriteBitmapFile(test::HostSystem(), folder / "old.bmp", image));
  EXPECT_EQ(ReadBytes(folder / "old.bmp"), EncodeBitmap(image));
  EXPECT_EQ(folder.Entries().size(), 1u);
}

TEST(BitmapWriter, ANameWithoutFolderIsWrittenInTheCurrentFolder) {
  TScratchFolder folder;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path);
  const bool written = WriteBitmapFile(test::HostSystem(), "here.bmp", Gradient(1, 1));
  std::filesystem::current_path(previous);
  ASSERT_TRUE(written);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"here.bmp"});
}

TEST(BitmapWriter, FailsWithoutLeavingAnythingWhenTheFolderCannotHoldTheFile) {
  TScratchFolder folder;
  WriteText(folder / "plain", "not a folder");
  // Even root cannot create a file inside a regular file.
  EXPECT_FALSE(WriteBitmapFile(test::HostSystem(), folder / "plain/frame.bmp", Gradient(2, 2)));
  EXPECT_FALSE(WriteBitmapFile(test::HostSystem(), folder / "missing/frame.bmp", Gradient(2, 2)));
  EXPECT_FALSE(WriteBitmapFile(test::HostSystem(), "", Gradient(2, 2)));
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"plain"});
  EXPECT_EQ(ReadBytes(folder / "plain").size(), 12u);
}

TEST(BitmapWriter, AFolderInTheWayIsNeitherReplacedNorLitteredWithTemporaries) {
  TScratchFolder folder;
  std::filesystem::create_directory(folder / "taken.bmp");
  WriteText(folder / "taken.bmp/inside", "keep");
  EXPECT_FALSE(WriteBitmapFile(test::HostSystem(), folder / "taken.bmp", Gradient(2, 2)));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.bmp"));
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"taken.bmp"});
  EXPECT_EQ(ReadBytes(folder / "taken.bmp/inside").size(), 4u);
}

TEST(BitmapWriter, AWriteTheSystemRefusesIsAFailure) {
  test::TMemorySystem system;
  system.Files["shot.bmp"] = "the picture saved before";
  system.WriteError = 28;  // no space left
  EXPECT_FALSE(WriteBitmapFile(system, "shot.bmp", Gradient(4, 4)));
  EXPECT_EQ(system.Files["shot.bmp"], "the picture saved before");
  system.WriteError = 0;
  EXPECT_TRUE(WriteBitmapFile(system, "shot.bmp", Gradient(4, 4)));
  const std::vector<uint8_t> expected = EncodeBitmap(Gradient(4, 4));
  EXPECT_EQ(system.Files["shot.bmp"], std::string(expected.begin(), expected.end()));
}

}  // namespace
}  // namespace mova
