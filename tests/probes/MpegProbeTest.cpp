#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "player/FileReader.h"
#include "player/MediaProbes.h"
#include "player/MemoryReader.h"
#include "support/GeneratedMedia.h"
#include "support/HostSystem.h"

namespace mova {
namespace {

struct MpegProbe {
  double pixelAspect = -1.0;
  int32_t width = -1;  // -1: not set by the probe
  int32_t height = -1;
};

MpegProbe Probe(ByteReader& file) {
  MpegProbe probe;
  ProbeMpeg(file, probe.pixelAspect, probe.width, probe.height);
  return probe;
}

MpegProbe ProbeBytes(const std::string& bytes) {
  MemoryReader file(bytes);
  // The probe rewinds by itself.
  EXPECT_TRUE(file.Seek(file.Size() / 2));
  return Probe(file);
}

MpegProbe ProbePath(const std::string& path) {
  auto file = OpenFileReader(test::HostSystem(), path);
  if (!file) {
    ADD_FAILURE() << "cannot open " << path;
    return {};
  }
  return Probe(*file);
}

// A sequence header: start code, 12-bit width and height, aspect and frame
// rate codes, then bit rate, buffer size and flags without quantiser matrices.
std::string SequenceHeader(int width, int height, int aspectCode, int frameRateCode = 3) {
  std::string bytes("\x00\x00\x01\xB3", 4);
  bytes += static_cast<char>(width >> 4);
  bytes += static_cast<char>((width & 0x0F) << 4 | height >> 8);
  bytes += static_cast<char>(height & 0xFF);
  bytes += static_cast<char>(aspectCode << 4 | frameRateCode);
  bytes += std::string("\xFF\xFF\xE0\x18", 4);
  return bytes;
}

// The MPEG-2 sequence extension (main profile, main level, progressive, 4:2:0).
std::string SequenceExtension() { return std::string("\x00\x00\x01\xB5\x14\x8A\x00\x01\x00\x00", 10); }

std::string GroupOfPictures() { return std::string("\x00\x00\x01\xB8\x00\x08\x00\x00", 8); }

TEST(MpegProbe, Mpeg1PixelAspectComesFromTheTable) {
  const MpegProbe pal = ProbeBytes(SequenceHeader(352, 288, 8) + GroupOfPictures());
  EXPECT_EQ(pal.width, 352);
  EXPECT_EQ(pal.height, 288);
  EXPECT_DOUBLE_EQ(pal.pixelAspect, 0.9815);
  const MpegProbe ntsc = ProbeBytes(SequenceHeader(352, 240, 12) + GroupOfPictures());
  EXPECT_EQ(ntsc.height, 240);
  EXPECT_EQ(ntsc.pixelAspect, 1.1);
  const MpegProbe wide = ProbeBytes(std::string(100, '\x55') + SequenceHeader(4095, 4095, 3) + GroupOfPictures());
  EXPECT_EQ(wide.width, 4095);
  EXPECT_EQ(wide.height, 4095);
  EXPECT_EQ(wide.pixelAspect, 0.7031);
}

TEST(MpegProbe, TableHoldsTheStoredValues) {
  EXPECT_EQ(AspectTable[0], 1.0);
  EXPECT_EQ(AspectTable[8], 0.9815);
  EXPECT_EQ(AspectTable[9], 54.0 / 59.0);
  EXPECT_EQ(AspectTable[12], 1.1);
  EXPECT_EQ(AspectTable[14], 1.2015);
}

TEST(MpegProbe, ReservedAspectCodeFifteenGivesSquarePixels) {
  const MpegProbe probe = ProbeBytes(SequenceHeader(320, 240, 15) + GroupOfPictures());
  EXPECT_EQ(probe.pixelAspect, 1.0);
  EXPECT_EQ(probe.width, 320);
}

TEST(MpegProbe, NoHeaderGivesSquarePixelsAndLeavesTheSizes) {
  for (const std::string& bytes : {std::string(), std::string(3, '\0'), std::string(20000, '\x47'),
                                   std::string("\x00\x00\x01\xBA", 4) + std::string(9000, '\0')}) {
    const MpegProbe probe = ProbeBytes(bytes);
    EXPECT_EQ(probe.pixelAspect, 1.0);
    EXPECT_EQ(probe.width, -1);
    EXPECT_EQ(probe.height, -1);
  }
}

TEST(MpegProbe, HeaderNeedsItsSizeBytesAndTwoMoreRead) {
  const std::string header = SequenceHeader(352, 288, 8);
  // At the end of the file: s + 9 must be before the end.
  EXPECT_EQ(ProbeBytes(std::string(50, '\x11') + header.substr(0, 10)).width, 352);
  EXPECT_EQ(ProbeBytes(std::string(50, '\x11') + header.substr(0, 9)).width, -1);
  // At the end of a full block: a header starting 9 bytes before the block's
  // end does not count there, and the next block starts only 4 bytes back.
  const std::string tail = std::string(9000, '\x22');
  EXPECT_EQ(ProbeBytes(std::string(8192 - 10, '\x11') + header + tail).width, 352);
  EXPECT_EQ(ProbeBytes(std::string(8192 - 9, '\x11') + header + tail).width, -1);
  // A start code straddling two blocks is found through their overlap.
  EXPECT_EQ(ProbeBytes(std::string(8192 - 2, '\x11') + header + tail).width, 352);
  EXPECT_EQ(ProbeBytes(std::string(8192 - 4, '\x11') + header + tail).width, 352);
}

TEST(MpegProbe, SearchStopsOneBlockAfterTheFirstMebibyte) {
  const std::string header = SequenceHeader(352, 288, 8) + GroupOfPictures();
  const MpegProbe late = ProbeBytes(std::string(20000, '\x33') + header);
  EXPECT_EQ(late.width, 352);
  EXPECT_DOUBLE_EQ(late.pixelAspect, 0.9815);
  EXPECT_EQ(ProbeBytes(std::string(0x100000 + 1000, '\x33') + header).width, 352);
  const MpegProbe tooLate = ProbeBytes(std::string(0x100000 + 16384, '\x33') + header);
  EXPECT_EQ(tooLate.width, -1);
  EXPECT_EQ(tooLate.pixelAspect, 1.0);
}

TEST(MpegProbe, Mpeg2DisplayAspectBecomesAPixelAspect) {
  const MpegProbe pal43 = ProbeBytes(SequenceHeader(720, 576, 2) + SequenceExtension() + GroupOfPictures());
  EXPECT_EQ(pal43.width, 720);
  EXPECT_EQ(pal43.height, 576);
  EXPECT_DOUBLE_EQ(pal43.pixelAspect, 0.9375);  // 768 pixels wide on the screen
  const MpegProbe pal169 = ProbeBytes(SequenceHeader(720, 576, 3) + SequenceExtension());
  EXPECT_DOUBLE_EQ(720 / pal169.pixelAspect, 1024.0);
  const MpegProbe ntsc169 = ProbeBytes(SequenceHeader(704, 480, 3) + SequenceExtension());
  EXPECT_DOUBLE_EQ(704 / ntsc169.pixelAspect, 480 * 16.0 / 9.0);
  const MpegProbe cinema = ProbeBytes(SequenceHeader(720, 480, 4) + SequenceExtension());
  EXPECT_DOUBLE_EQ(720 / cinema.pixelAspect, 480 * 2.21);
  EXPECT_EQ(ProbeBytes(SequenceHeader(720, 576, 1) + SequenceExtension()).pixelAspect, 1.0);
  EXPECT_EQ(ProbeBytes(SequenceHeader(720, 576, 9) + SequenceExtension()).pixelAspect, 1.0);
  EXPECT_EQ(ProbeBytes(SequenceHeader(720, 0, 2) + SequenceExtension()).pixelAspect, 1.0);
}

TEST(MpegProbe, Mpeg2ExtensionIsFoundAfterQuantiserMatrices) {
  // Both matrices loaded: the extension follows 128 bytes of matrix data.
  std::string header = SequenceHeader(720, 576, 2);
  header.back() = static_cast<char>(header.back() | 0x02);
  std::string matrices(128, '\x10');
  const MpegProbe probe = ProbeBytes(header + matrices + SequenceExtension());
  EXPECT_DOUBLE_EQ(probe.pixelAspect, 0.9375);
}

TEST(MpegProbe, OtherStartCodesAfterTheHeaderKeepTheTable) {
  // An extension start code with another id, user data, a truncated
  // extension: none of them makes an MPEG-1 header an MPEG-2 one.
  const std::string header = SequenceHeader(720, 576, 2);
  EXPECT_EQ(ProbeBytes(header + std::string("\x00\x00\x01\xB5\x24\x00", 6)).pixelAspect, 0.6735);
  EXPECT_EQ(ProbeBytes(header + std::string("\x00\x00\x01\xB2\x14\x00", 6) + SequenceExtension()).pixelAspect,
            0.6735);
  EXPECT_EQ(ProbeBytes(header + std::string("\x00\x00\x01\xB5", 4)).pixelAspect, 0.6735);
}

// Streams written by ffmpeg at build time (support/CoreMedia.cmake). Its
// MPEG-1 encoder picks the aspect code nearest to the sample aspect: 8 for
// 4:3 at 352x288, 12 for 10:11, 3 for 64:45.

TEST(MpegProbe, FfmpegMpeg1ProgramAndElementaryStreams) {
  struct Case {
    std::string name;
    int32_t width, height;
    double pixelAspect;
  };
  const Case cases[] = {
      {"probe-43.mpg", 352, 288, 0.9815},
      {"probe-43.m1v", 352, 288, 0.9815},
      {"probe-sar1.mpg", 352, 288, 1.0},
      {"probe-ntsc.mpg", 352, 240, 1.1},
      {"probe-wide.m1v", 352, 288, 0.7031},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = test::BuiltMedia(c.name);
    ASSERT_FALSE(path.empty());
    const MpegProbe probe = ProbePath(path);
    EXPECT_EQ(probe.width, c.width);
    EXPECT_EQ(probe.height, c.height);
    EXPECT_EQ(probe.pixelAspect, c.pixelAspect);
  }
}

TEST(MpegProbe, FfmpegMpeg2AtPalSize) {
  const MpegProbe standard = ProbePath(test::BuiltMedia("probe-pal43.mpg"));
  EXPECT_EQ(standard.width, 720);
  EXPECT_EQ(standard.height, 576);
  EXPECT_DOUBLE_EQ(standard.pixelAspect, 0.9375);
  const MpegProbe wide = ProbePath(test::BuiltMedia("probe-pal169.mpg"));
  EXPECT_DOUBLE_EQ(wide.pixelAspect, 0.703125);
  // Custom quantiser matrices lengthen the header; the aspect is still found.
  const MpegProbe matrices = ProbePath(test::BuiltMedia("probe-matrices.m2v"));
  EXPECT_DOUBLE_EQ(matrices.pixelAspect, 0.9375);
}

TEST(MpegProbe, FfmpegStreamBehindJunk) {
  const std::string stream = test::BuiltMedia("probe-43.m1v");
  ASSERT_FALSE(stream.empty());
  std::ifstream in(stream, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1000u);
  // Past the first block, and past the first mebibyte.
  const std::string afterBlock = test::WriteTestFile("probe-after-8k.m1v", std::string(10000, '\xFF') + bytes);
  const std::string afterLimit = test::WriteTestFile("probe-after-1m.m1v", std::string(1200000, '\xFF') + bytes);
  const MpegProbe found = ProbePath(afterBlock);
  EXPECT_EQ(found.width, 352);
  EXPECT_EQ(found.pixelAspect, 0.9815);
  const MpegProbe missed = ProbePath(afterLimit);
  EXPECT_EQ(missed.width, -1);
  EXPECT_EQ(missed.pixelAspect, 1.0);
}

}  // namespace
}  // namespace mova
