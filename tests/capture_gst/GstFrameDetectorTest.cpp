#include "platform/gstreamer/GstFrameDetector.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "capture/BitmapFile.h"
#include "player/FrameCapture.h"
#include "support/GeneratedMedia.h"
#include "support/HostSystem.h"

namespace mova {
namespace {

using test::GeneratedMedia;
using test::TReadBitmap;
using test::TScratchFolder;

struct TColour {
  const char* Name;
  uint8_t R, G, B;
};
constexpr TColour Red{"red", 255, 0, 0};
constexpr TColour Lime{"lime", 0, 255, 0};
constexpr TColour Blue{"blue", 0, 0, 255};

// Three seconds at 10 frames a second: red, then lime, then blue, so the
// colour of a frame tells its time.
std::string ColourSeconds(int width, int height, const std::string& last = "") {
  const std::string size = ":s=" + std::to_string(width) + "x" + std::to_string(height) + ":r=10:d=1";
  return "color=c=red" + size + "[a];color=c=lime" + size + "[b];color=c=blue" + size +
         "[c];[a][b][c]concat=n=3:v=1:a=0" + last + "[v]";
}

std::string MjpegAvi() {
  return GeneratedMedia("capture-rgb-70x40.avi", "ffmpeg -v error -y -filter_complex '" + ColourSeconds(70, 40) +
                                                     "' -map '[v]' -c:v mjpeg -q:v 2 {OUT}");
}

// H.264 with one key frame only, non-square pixels (2:1) and the sound as the
// first stream, so only an exact seek on the second stream finds the colour.
std::string H264Mp4() {
  return GeneratedMedia("capture-rgb-64x48-sar2.mp4",
                        "ffmpeg -v error -y -f lavfi -i sine=d=3 -filter_complex '" +
                            ColourSeconds(64, 48, ",setsar=2/1") +
                            "' -map 0:a -map '[v]' -c:v libx264 -pix_fmt yuv420p"
                            " -x264-params keyint=100:scenecut=0 -c:a aac {OUT}");
}

bool Near(const uint8_t* pixel, const TColour& colour) {
  auto close = [](int a, int b) { return a - b < 48 && b - a < 48; };
  return close(pixel[0], colour.R) && close(pixel[1], colour.G) && close(pixel[2], colour.B);
}

// Captures `media` at `ms` into a bitmap of width × height and reads it back.
TReadBitmap Capture(const std::string& media, int32_t ms, int32_t width, int32_t height) {
  TScratchFolder folder;
  TGstFrameDetector detector;
  if (!CaptureFrameToFile(test::HostSystem(), &detector, true, media, ms, width, height, folder / "frame.bmp")) return {};
  return test::ReadBitmapFile(folder / "frame.bmp");
}

void ExpectFrame(const std::string& media, int32_t ms, int32_t width, int32_t height, const TColour& colour) {
  SCOPED_TRACE(media + " at " + std::to_string(ms) + " ms, expecting " + colour.Name);
  const TReadBitmap bitmap = Capture(media, ms, width, height);
  ASSERT_TRUE(bitmap.Ok);
  EXPECT_EQ(bitmap.Width, width);
  EXPECT_EQ(bitmap.Height, height);
  for (auto [x, y] : {std::pair{0, 0}, {width / 2, height / 2}, {width - 1, height - 1}}) {
    const uint8_t* p = bitmap.At(x, y);
    EXPECT_TRUE(Near(p, colour)) << "pixel " << x << "," << y << " is " << int{p[0]} << "," << int{p[1]} << ","
                                 << int{p[2]};
  }
}

TEST(GstFrameDetector, MjpegAviGivesTheFrameOfEachPositionAtItsNativeSize) {
  const std::string avi = MjpegAvi();
  ASSERT_FALSE(avi.empty());
  ExpectFrame(avi, 0, 70, 40, Red);
  ExpectFrame(avi, 999, 70, 40, Red);
  ExpectFrame(avi, 1000, 70, 40, Lime);  // the first frame of the second second
  ExpectFrame(avi, 1550, 70, 40, Lime);
  ExpectFrame(avi, 2500, 70, 40, Blue);
}

TEST(GstFrameDetector, H264SeeksExactlyBetweenKeyFramesOnTheVideoStreamAfterTheSound) {
  const std::string mp4 = H264Mp4();
  ASSERT_FALSE(mp4.empty());
  ExpectFrame(mp4, 250, 64, 48, Red);
  ExpectFrame(mp4, 1200, 64, 48, Lime);
  ExpectFrame(mp4, 2600, 64, 48, Blue);
}

TEST(GstFrameDetector, NonSquarePixelsStillGiveExactlyTheRequestedSize) {
  const std::string mp4 = H264Mp4();
  ASSERT_FALSE(mp4.empty());
  // The native size, not stretched to the 2:1 display shape...
  ExpectFrame(mp4, 1500, 64, 48, Lime);
  // ...and any other size, stretched without borders.
  ExpectFrame(mp4, 1500, 101, 30, Lime);
  ExpectFrame(mp4, 500, 13, 77, Red);
}

TEST(GstFrameDetector, AtAndPastTheEndTheLastFrameIsCaptured) {
  const std::string avi = MjpegAvi();
  const std::string mp4 = H264Mp4();
  ASSERT_FALSE(avi.empty());
  ASSERT_FALSE(mp4.empty());
  ExpectFrame(avi, 3000, 70, 40, Blue);
  ExpectFrame(mp4, 3000, 64, 48, Blue);
  ExpectFrame(mp4, 9000, 64, 48, Blue);
}

TEST(GstFrameDetector, TheFirstOfTwoVideoStreamsIsUsed) {
  const std::string mp4 = GeneratedMedia(
      "capture-two-videos.mp4",
      "ffmpeg -v error -y -f lavfi -i color=c=red:s=32x32:r=10:d=1 -f lavfi -i color=c=blue:s=32x32:r=10:d=1"
      " -map 0:v -map 1:v -c:v libx264 -pix_fmt yuv420p {OUT}");
  ASSERT_FALSE(mp4.empty());
  ExpectFrame(mp4, 500, 32, 32, Red);
}

TEST(GstFrameDetector, APictureIsSavedAsShownTurnedAsItsOrientationSays) {
  // Stored red on the left, blue on the right; the tag turns it upright,
  // where blue is on top (as ffmpeg and mpv show it).
  const std::string mp4 = GeneratedMedia(
      "capture-turned-90.mp4",
      "ffmpeg -v error -y -filter_complex 'color=c=red:s=32x32:r=10:d=1[a];color=c=blue:s=32x32:r=10:d=1[b];"
      "[a][b]hstack' -c:v libx264 -pix_fmt yuv420p -f mp4 {OUT}.stored && "
      "ffmpeg -v error -y -i {OUT}.stored -c copy -metadata:s:v:0 rotate=90 -f mp4 {OUT}; rm -f {OUT}.stored");
  ASSERT_FALSE(mp4.empty());
  const TReadBitmap bitmap = Capture(mp4, 500, 32, 64);
  ASSERT_TRUE(bitmap.Ok);
  EXPECT_TRUE(Near(bitmap.At(16, 8), Blue));
  EXPECT_TRUE(Near(bitmap.At(16, 56), Red));
}

TEST(GstFrameDetector, ATransportStreamThatStartsLateIsCapturedAtItsOwnTimes) {
  // The muxer's clock starts at 1.4 s; the capture's times count from the
  // first picture as the position does.
  const std::string ts = GeneratedMedia("capture-late.ts", "ffmpeg -v error -y -filter_complex '" +
                                                              ColourSeconds(64, 48) +
                                                              "' -map '[v]' -c:v mpeg2video -q:v 2 -f mpegts {OUT}");
  ASSERT_FALSE(ts.empty());
  ExpectFrame(ts, 500, 64, 48, Red);
  ExpectFrame(ts, 1500, 64, 48, Lime);
  ExpectFrame(ts, 2500, 64, 48, Blue);
}

TEST(GstFrameDetector, AnAudioFilesCoverIsItsPicture) {
  const std::string mp3 = GeneratedMedia(
      "capture-cover.mp3",
      "ffmpeg -v error -y -f lavfi -i color=c=lime:s=40x30 -frames:v 1 -f image2 -c:v mjpeg {OUT}.jpg && "
      "ffmpeg -v error -y -f lavfi -i sine=d=2 -i {OUT}.jpg -map 0 -map 1 -c:a libmp3lame -c:v copy "
      "-id3v2_version 3 -metadata:s:v comment='Cover (front)' -f mp3 {OUT}; rm -f {OUT}.jpg");
  ASSERT_FALSE(mp3.empty());
  ExpectFrame(mp3, 1000, 40, 30, Lime);
  ExpectFrame(mp3, 0, 80, 60, Lime);
}

TEST(GstFrameDetector, FilesWithoutAPictureFailQuicklyAndWriteNothing) {
  const std::string wav = GeneratedMedia("capture-sound.wav", "ffmpeg -v error -y -f lavfi -i sine=d=1 {OUT}");
  ASSERT_FALSE(wav.empty());
  TScratchFolder folder;
  const std::string garbage = folder / "garbage.avi";
  std::ofstream(garbage) << std::string(4000, 'g');
  TGstFrameDetector detector;
  for (const std::string& media : {wav, garbage, folder / "missing.avi", folder.Path, std::string()}) {
    SCOPED_TRACE(media);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, media, 500, 32, 32, folder / "frame.bmp"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"garbage.avi"});
}

TEST(GstFrameDetector, RejectsSizesAndTimesItCannotHonour) {
  const std::string avi = MjpegAvi();
  ASSERT_FALSE(avi.empty());
  TGstFrameDetector detector;
  TRgbImage frame;
  EXPECT_FALSE(detector.DecodeFrame(avi, 1.0, 0, 40, frame));
  EXPECT_FALSE(detector.DecodeFrame(avi, 1.0, 70, -1, frame));
  EXPECT_FALSE(detector.DecodeFrame(avi, std::numeric_limits<double>::quiet_NaN(), 70, 40, frame));
  // A negative time counts as the start.
  ASSERT_TRUE(detector.DecodeFrame(avi, -5.0, 70, 40, frame));
  ASSERT_EQ(frame.Pixels.size(), 70u * 40u * 3u);
  EXPECT_TRUE(Near(frame.Pixels.data(), Red));
}

}  // namespace
}  // namespace mova
