#include "player/FrameCapture.h"

#include <gtest/gtest.h>

#include <fstream>

#include "capture/BitmapFile.h"
#include "support/HostSystem.h"

namespace mova {
namespace {

using test::ReadBitmapFile;
using test::ReadBytes;
using test::TScratchFolder;

// Records every request and answers with a solid picture of the requested
// size, or as scripted.
class TFakeDetector final : public IFrameDetector {
 public:
  struct TCall {
    std::string FileName;
    double Seconds;
    int32_t Width;
    int32_t Height;
  };

  bool DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                   TRgbImage& frame) override {
    Calls.push_back({fileName, seconds, width, height});
    if (!Succeed) return false;
    const int32_t w = AnswerWidth ? AnswerWidth : width;
    const int32_t h = AnswerHeight ? AnswerHeight : height;
    frame = TRgbImage{w, h, {}};
    for (int32_t i = 0; i < w * h; ++i) frame.Pixels.insert(frame.Pixels.end(), {12, 34, 56});
    return true;
  }

  std::vector<TCall> Calls;
  bool Succeed = true;
  int32_t AnswerWidth = 0;  // 0: the requested size
  int32_t AnswerHeight = 0;
};

TEST(FrameCapture, AsksForTheFrameAtThePositionInSecondsAtTheVideoSize) {
  TScratchFolder folder;
  TFakeDetector detector;
  ASSERT_TRUE(CaptureFrameToFile(test::HostSystem(), &detector, true, "/media/clip.avi", 12345, 321, 97, folder / "out"));
  ASSERT_EQ(detector.Calls.size(), 1u);
  EXPECT_EQ(detector.Calls[0].FileName, "/media/clip.avi");
  EXPECT_DOUBLE_EQ(detector.Calls[0].Seconds, 12.345);
  EXPECT_EQ(detector.Calls[0].Width, 321);
  EXPECT_EQ(detector.Calls[0].Height, 97);

  const test::TReadBitmap bitmap = ReadBitmapFile(folder / "out");
  ASSERT_TRUE(bitmap.Ok);
  EXPECT_EQ(bitmap.Width, 321);
  EXPECT_EQ(bitmap.Height, 97);
  EXPECT_EQ(bitmap.At(320, 96)[0], 12);
  EXPECT_EQ(bitmap.At(320, 96)[2], 56);
}

TEST(FrameCapture, NothingIsDecodedWhenNoFileIsOpenOrTheSizeIsUnusable) {
  TScratchFolder folder;
  TFakeDetector detector;
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, false, "a.avi", 1000, 64, 48, folder / "x.bmp"));
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), nullptr, true, "a.avi", 1000, 64, 48, folder / "x.bmp"));
  // An audio-only file leaves the video size at 0.
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.wav", 1000, 0, 0, folder / "x.bmp"));
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.avi", 1000, -64, 48, folder / "x.bmp"));
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.avi", 1000, 40000, 40000, folder / "x.bmp"));
  EXPECT_TRUE(detector.Calls.empty());
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(FrameCapture, ADetectorFailureWritesNothingAndKeepsAnExistingFile) {
  TScratchFolder folder;
  std::ofstream(folder / "keep.bmp") << "earlier capture";
  TFakeDetector detector;
  detector.Succeed = false;
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.avi", 500, 8, 8, folder / "keep.bmp"));
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.avi", 500, 8, 8, folder / "new.bmp"));
  EXPECT_EQ(detector.Calls.size(), 2u);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"keep.bmp"});
  EXPECT_EQ(ReadBytes(folder / "keep.bmp").size(), 15u);
}

TEST(FrameCapture, APictureOfAnotherSizeIsNotSaved) {
  TScratchFolder folder;
  TFakeDetector detector;
  detector.AnswerWidth = 64;
  detector.AnswerHeight = 36;
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.avi", 500, 64, 48, folder / "x.bmp"));
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(FrameCapture, AnUnwritableTargetFails) {
  TScratchFolder folder;
  TFakeDetector detector;
  EXPECT_FALSE(CaptureFrameToFile(test::HostSystem(), &detector, true, "a.avi", 500, 8, 8, folder / "no/such/folder.bmp"));
  EXPECT_EQ(detector.Calls.size(), 1u);
}

}  // namespace
}  // namespace mova
