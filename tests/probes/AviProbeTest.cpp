#include <gtest/gtest.h>

#include "player/FileReader.h"
#include "player/MediaProbes.h"
#include "player/MemoryReader.h"
#include "probes/ProbeFields.h"
#include "support/RiffBytes.h"
#include "support/GeneratedMedia.h"
#include "support/HostSystem.h"

namespace mova {
namespace {

using test::AllZero;
using test::Chunk;
using test::Le16;
using test::Le32;
using test::List;
using test::TextAt;
using test::U16At;
using test::U32At;

struct AviProbe {
  bool ok = false;
  std::array<uint8_t, 64> aviHeader{};
  std::array<uint8_t, 40> videoFormat{};
  std::array<uint8_t, 14> audioFormat{};
};

AviProbe Probe(ByteReader& file) {
  AviProbe probe;
  // Stale bytes must not survive: every probe starts from zeros.
  probe.aviHeader.fill(0xEE);
  probe.videoFormat.fill(0xEE);
  probe.audioFormat.fill(0xEE);
  probe.ok = ProbeAvi(file, probe.aviHeader, probe.videoFormat, probe.audioFormat);
  return probe;
}

AviProbe ProbePath(const std::string& path) {
  auto file = OpenFileReader(test::HostSystem(), path);
  if (!file) {
    ADD_FAILURE() << "cannot open " << path;
    return {};
  }
  return Probe(*file);
}

AviProbe ProbeBytes(const std::string& bytes) {
  MemoryReader file(bytes);
  return Probe(file);
}

std::string MainHeader(uint32_t microsPerFrame, uint32_t streams, uint32_t width, uint32_t height) {
  return Le32(microsPerFrame) + Le32(0) + Le32(0) + Le32(0x10) + Le32(3) + Le32(0) + Le32(streams) + Le32(0) +
         Le32(width) + Le32(height) + std::string(16, '\0');
}

std::string BitmapHeader(uint32_t width, uint32_t height, const std::string& compression) {
  return Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(24) + compression + Le32(width * height * 3) +
         std::string(16, '\0');
}

std::string WaveHeader(uint16_t tag, uint16_t channels, uint32_t rate) {
  return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * channels * 2) + Le16(channels * 2) + Le16(16) +
         Le16(0);
}

// A small AVI with a video and an audio stream, an odd-sized chunk between
// them and a frame of data.
std::string HandMadeAvi(bool withAudio = true) {
  std::string video = List("LIST", "strl", Chunk("strh", std::string(56, 'v')) +
                                               Chunk("strf", BitmapHeader(320, 240, "DIB ")) + Chunk("JUNK", "odd"));
  std::string audio = List("LIST", "strl", Chunk("strh", std::string(56, 'a')) + Chunk("strf", WaveHeader(1, 2, 22050)));
  std::string headers = Chunk("avih", MainHeader(40000, withAudio ? 2 : 1, 320, 240)) + video;
  if (withAudio) headers += audio;
  return List("RIFF", "AVI ", List("LIST", "hdrl", headers) + List("LIST", "movi", Chunk("00dc", "frame")));
}

TEST(AviProbe, ReadsTheMainHeaderAndBothStreamFormats) {
  const AviProbe probe = ProbeBytes(HandMadeAvi());
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(TextAt(probe.aviHeader, 0, 4), "avih");
  EXPECT_EQ(U32At(probe.aviHeader, 4), 56u);
  EXPECT_EQ(U32At(probe.aviHeader, 8), 40000u);
  EXPECT_EQ(U32At(probe.aviHeader, 32), 2u);
  EXPECT_EQ(U32At(probe.aviHeader, 40), 320u);
  EXPECT_EQ(U32At(probe.aviHeader, 44), 240u);
  EXPECT_EQ(TextAt(probe.videoFormat, 0, 40), BitmapHeader(320, 240, "DIB "));
  EXPECT_EQ(U16At(probe.audioFormat, 0), 1);
  EXPECT_EQ(U16At(probe.audioFormat, 2), 2);
  EXPECT_EQ(U32At(probe.audioFormat, 4), 22050u);
  EXPECT_EQ(U32At(probe.audioFormat, 8), 88200u);
  EXPECT_EQ(U16At(probe.audioFormat, 12), 4);
}

TEST(AviProbe, VideoOnlyKeepsWhatItReadAndFails) {
  const AviProbe probe = ProbeBytes(HandMadeAvi(false));
  EXPECT_FALSE(probe.ok);
  EXPECT_EQ(TextAt(probe.aviHeader, 0, 4), "avih");
  EXPECT_EQ(TextAt(probe.videoFormat, 16, 4), "DIB ");
  EXPECT_TRUE(AllZero(probe.audioFormat));
}

TEST(AviProbe, NonRiffInputFailsWithEveryFieldZero) {
  for (const std::string& bytes : {std::string(), std::string("\x00\x00\x01\xB3\x16\x01\x20\x83", 8),
                                   Chunk("JUNK", "data") + HandMadeAvi()}) {
    const AviProbe probe = ProbeBytes(bytes);
    EXPECT_FALSE(probe.ok);
    EXPECT_TRUE(AllZero(probe.aviHeader));
    EXPECT_TRUE(AllZero(probe.videoFormat));
    EXPECT_TRUE(AllZero(probe.audioFormat));
  }
}

TEST(AviProbe, TruncationAtEveryByteFailsAndKeepsOnlyWholeFields) {
  const std::string full = HandMadeAvi();
  const AviProbe whole = ProbeBytes(full);
  ASSERT_TRUE(whole.ok);
  // Where each field's bytes end in the file.
  const size_t aviEnd = full.find("avih") + 64;
  const size_t videoEnd = full.find("strf") + 8 + 40;
  const size_t audioEnd = full.find("strf", videoEnd) + 8 + 14;
  const std::array<uint8_t, 64> noAviHeader{};
  const std::array<uint8_t, 40> noVideoFormat{};
  const std::array<uint8_t, 14> noAudioFormat{};
  for (size_t length = 0; length <= full.size(); ++length) {
    SCOPED_TRACE(length);
    const AviProbe probe = ProbeBytes(full.substr(0, length));
    EXPECT_EQ(probe.ok, length >= audioEnd);
    EXPECT_EQ(probe.aviHeader, length >= aviEnd ? whole.aviHeader : noAviHeader);
    EXPECT_EQ(probe.videoFormat, length >= videoEnd ? whole.videoFormat : noVideoFormat);
    EXPECT_EQ(probe.audioFormat, length >= audioEnd ? whole.audioFormat : noAudioFormat);
  }
}

TEST(AviProbe, TakesFormatsInFileOrderWithoutCheckingStreamTypes) {
  // Audio first: its wave header lands in the video format and the other way round.
  std::string audio = List("LIST", "strl", Chunk("strf", WaveHeader(85, 1, 44100) + std::string(22, '\0')));
  std::string video = List("LIST", "strl", Chunk("strf", BitmapHeader(64, 48, "MJPG")));
  const AviProbe probe =
      ProbeBytes(List("RIFF", "AVI ", List("LIST", "hdrl", Chunk("avih", MainHeader(1, 2, 64, 48)) + audio + video)));
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(U16At(probe.videoFormat, 0), 85);
  EXPECT_EQ(U32At(probe.audioFormat, 0), 40u);
}

// Files written by tools we did not write: what the probe reads must agree
// with how each file was made.
TEST(AviProbe, FilesWrittenByFfmpegAndGstreamer) {
  struct Case {
    std::string name;
    bool ok;
    uint32_t streams, width, height;
    uint16_t formatTag, channels;
    uint32_t sampleRate;
  };
  // Made by the build; how each file was made is in support/CoreMedia.cmake.
  const Case cases[] = {
      {"probe-mjpeg-pcm.avi", true, 2, 160, 120, 1, 2, 44100},
      {"probe-mjpeg-mp3.avi", true, 2, 160, 120, 85, 1, 44100},
      // ffmpeg reserves index space with a JUNK chunk inside the stream list.
      {"probe-video-only.avi", false, 1, 160, 120, 0, 0, 0},
      {"probe-avimux.avi", true, 2, 176, 144, 1, 2, 48000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = test::BuiltMedia(c.name);
    ASSERT_FALSE(path.empty());
    const AviProbe probe = ProbePath(path);
    EXPECT_EQ(probe.ok, c.ok);
    EXPECT_EQ(TextAt(probe.aviHeader, 0, 4), "avih");
    EXPECT_EQ(U32At(probe.aviHeader, 8), 40000u);  // 25 frames per second
    EXPECT_EQ(U32At(probe.aviHeader, 32), c.streams);
    EXPECT_EQ(U32At(probe.videoFormat, 0), 40u);
    EXPECT_EQ(U32At(probe.videoFormat, 4), c.width);
    EXPECT_EQ(U32At(probe.videoFormat, 8), c.height);
    EXPECT_EQ(TextAt(probe.videoFormat, 16, 4), "MJPG");
    EXPECT_EQ(U16At(probe.audioFormat, 0), c.formatTag);
    EXPECT_EQ(U16At(probe.audioFormat, 2), c.channels);
    EXPECT_EQ(U32At(probe.audioFormat, 4), c.sampleRate);
    if (c.formatTag == 1) {
      EXPECT_EQ(U32At(probe.audioFormat, 8), c.sampleRate * c.channels * 2);
      EXPECT_EQ(U16At(probe.audioFormat, 12), c.channels * 2);
    }
  }
}

}  // namespace
}  // namespace mova
