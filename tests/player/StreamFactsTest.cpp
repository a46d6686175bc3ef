// A file without AVI headers takes its formats and its pixel shape from what
// the graph's streams say; the probes' answers come first.
#include <gtest/gtest.h>

#include "framework/LittleEndian.h"
#include "player/PlayerFixture.h"
#include "player/StreamFormats.h"

namespace mova::test {
namespace {

TStreamFacts AacAndH264() {
  TStreamFacts facts;
  facts.AudioTag = 0xFF;
  facts.Channels = 2;
  facts.SamplesPerSecond = 48000;
  facts.BytesPerSecond = 16000;
  facts.VideoCode = "H264";
  return facts;
}

TEST(StreamFormats, TheRecordsHoldTheFactsWhereAnAviFilesHeadersWouldAndNothingUnknown) {
  std::array<uint8_t, 14> audio{};
  std::array<uint8_t, 40> video{};
  audio.fill(0xAA);  // whatever an earlier file left
  FillFormatRecords(AacAndH264(), 1920, 1080, audio, video);
  EXPECT_EQ(ReadLe16(&audio[0]), 0xFF);
  EXPECT_EQ(ReadLe16(&audio[2]), 2);
  EXPECT_EQ(ReadLe32(&audio[4]), 48000u);
  EXPECT_EQ(ReadLe32(&audio[8]), 16000u);
  EXPECT_EQ(ReadLe16(&audio[12]), 0);
  EXPECT_EQ(ReadLe32(&video[0]), 40u);
  EXPECT_EQ(ReadLe32(&video[4]), 1920u);
  EXPECT_EQ(ReadLe32(&video[8]), 1080u);
  EXPECT_EQ(std::string(video.begin() + 16, video.begin() + 20), "H264");

  // A short code is padded as registered codes are; a long one is cut.
  TStreamFacts facts;
  facts.VideoCode = "DV";
  FillFormatRecords(facts, 720, 576, audio, video);
  EXPECT_EQ(std::string(video.begin() + 16, video.begin() + 20), "DV  ");
  EXPECT_EQ(audio, (std::array<uint8_t, 14>{})) << "no sound stream, no sound record";
  facts.VideoCode = "AVC1-long";
  FillFormatRecords(facts, 720, 576, audio, video);
  EXPECT_EQ(std::string(video.begin() + 16, video.begin() + 20), "AVC1");
  EXPECT_EQ(video[20], 0);

  FillFormatRecords(TStreamFacts{}, 320, 240, audio, video);
  EXPECT_EQ(audio, (std::array<uint8_t, 14>{}));
  EXPECT_EQ(video, (std::array<uint8_t, 40>{}));
}

TEST(StreamFormats, APixelShapeBecomesTheFactorTheWidthIsDividedBy) {
  TStreamFacts facts;
  EXPECT_EQ(PixelAspectOf(facts), 0.0);
  facts.PixelWidth = 16;
  facts.PixelHeight = 11;
  EXPECT_DOUBLE_EQ(352 / PixelAspectOf(facts), 512.0);
  facts.PixelWidth = 16;
  facts.PixelHeight = 15;  // PAL DV
  EXPECT_DOUBLE_EQ(720 / PixelAspectOf(facts), 768.0);
  facts.PixelWidth = -1;
  EXPECT_EQ(PixelAspectOf(facts), 0.0);
}

TEST_F(PlayerTest, AFileWithoutAviHeadersTakesFormatsAndPixelShapeFromItsStreams) {
  Platform.Script.Width = 352;
  Platform.Script.Height = 288;
  Platform.Script.Facts = AacAndH264();
  Platform.Script.Facts.PixelWidth = 16;
  Platform.Script.Facts.PixelHeight = 11;
  Player->Open(PlainFile("anamorphic.mkv"));
  ASSERT_TRUE(Player->Opened);
  EXPECT_DOUBLE_EQ(Player->PixelAspect, 11.0 / 16.0);
  EXPECT_EQ(ReadLe16(&Player->AudioFormat[0]), 0xFF);
  EXPECT_EQ(std::string(Player->VideoFormat.begin() + 16, Player->VideoFormat.begin() + 20), "H264");

  // The next file states nothing: square pixels and empty records again.
  Platform.Script.Facts = TStreamFacts{};
  Player->Open(PlainFile("plain.mkv"));
  EXPECT_DOUBLE_EQ(Player->PixelAspect, 1.0);
  EXPECT_EQ(Player->AudioFormat, (std::array<uint8_t, 14>{}));
  EXPECT_EQ(Player->VideoFormat, (std::array<uint8_t, 40>{}));
}

TEST_F(PlayerTest, TheProbesComeBeforeTheStreams) {
  Platform.Script.Width = 352;
  Platform.Script.Height = 288;
  Platform.Script.Facts = AacAndH264();
  Platform.Script.Facts.PixelWidth = 16;
  Platform.Script.Facts.PixelHeight = 11;
  // MPEG: the sequence header's aspect, as long as the sizes agree.
  Player->Open(WriteTestFile("facts-aspect3.mpg", MpegBytes(352, 288, 3)));
  EXPECT_DOUBLE_EQ(Player->PixelAspect, 0.7031);

  // AVI: what the headers hold, square pixels, whatever the streams say.
  Player->Open(WriteTestFile("facts.avi", AviBytes(40000)));
  ASSERT_TRUE(Player->Opened);
  EXPECT_DOUBLE_EQ(Player->PixelAspect, 1.0);
  EXPECT_EQ(ReadLe16(&Player->AudioFormat[0]), 1);
  EXPECT_EQ(std::string(Player->VideoFormat.begin() + 16, Player->VideoFormat.begin() + 20), "MJPG");
}

TEST_F(PlayerTest, APictureShownAQuarterTurnedTurnsTheHeadersPixelShapeWithIt) {
  // Stored 352x288 with the header's pixel shape; shown upright as 288x352.
  Platform.Script.Width = 288;
  Platform.Script.Height = 352;
  Platform.Script.Facts.QuarterTurn = true;
  Player->Open(WriteTestFile("turned-aspect3.mpg", MpegBytes(352, 288, 3)));
  ASSERT_TRUE(Player->Opened);
  EXPECT_DOUBLE_EQ(Player->PixelAspect, 1.0 / 0.7031);
  EXPECT_EQ(Player->VideoWidth, 288);
}

}  // namespace
}  // namespace mova::test
