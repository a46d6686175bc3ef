// Frame capture on DirectShow: the picture decoded from the file itself, at
// the asked time and size, and the conversion of the platform's pictures.
#include <algorithm>
#include <cstdlib>

#include "DShowTestSupport.h"
#include "platform/directshow/DShowFrameConvert.h"
#include "platform/directshow/DShowMediaPlatform.h"
#include "support/GeneratedMedia.h"

namespace mova {
namespace {

using test::Medium;

struct TRgb {
  int R, G, B;
};

// The pixel at (x, y) of a frame of the native 352 × 240 test pattern, in a
// frame of another size.
TRgb PixelAt(const TRgbImage& image, int x, int y) {
  const int sx = x * image.Width / 352;
  const int sy = y * image.Height / 240;
  const uint8_t* pixel = &image.Pixels[(static_cast<size_t>(sy) * image.Width + sx) * 3];
  return {pixel[0], pixel[1], pixel[2]};
}

// The compressed picture's colours are near the pattern's, not exact.
void ExpectColour(const TRgbImage& image, int x, int y, TRgb expected) {
  const TRgb got = PixelAt(image, x, y);
  const int off = std::max({std::abs(got.R - expected.R), std::abs(got.G - expected.G), std::abs(got.B - expected.B)});
  EXPECT_LE(off, 48) << "at " << x << "," << y << ": " << got.R << " " << got.G << " " << got.B;
}

// The still parts of the pattern: its colour bars and the black corner.
void ExpectTestPattern(const TRgbImage& image) {
  ExpectColour(image, 20, 100, {0, 0, 0});
  ExpectColour(image, 110, 100, {255, 0, 255});
  ExpectColour(image, 154, 100, {0, 0, 255});
  ExpectColour(image, 198, 100, {255, 255, 0});
  ExpectColour(image, 242, 100, {0, 255, 0});
  ExpectColour(image, 330, 60, {255, 255, 255});
}

class DShowFrameTest : public test::TComTest {
 protected:
  // The test pattern's frame at `seconds`, which must come at the size asked.
  TRgbImage Decode(double seconds, int32_t width, int32_t height) {
    TRgbImage frame;
    EXPECT_TRUE(Detector->DecodeFrame(Medium("graph-clip.avi"), seconds, width, height, frame));
    EXPECT_EQ(frame.Width, width);
    EXPECT_EQ(frame.Height, height);
    EXPECT_EQ(frame.Pixels.size(), static_cast<size_t>(width) * height * 3);
    if (frame.Pixels.size() != static_cast<size_t>(width) * height * 3) frame.Pixels.assign(width * height * 3, 0);
    return frame;
  }

  TDShowMediaPlatform Platform;
  std::unique_ptr<IFrameDetector> Detector = Platform.CreateFrameDetector();
};

TEST_F(DShowFrameTest, DecodesTheFrameAtTheTimeAtAnySize) {
  ASSERT_NE(Detector, nullptr);
  // The scrolling gradient tells the frames apart: red at its left end at
  // the start, yellow one second in, green in the last frame.
  const TRgbImage second = Decode(1.0, 352, 240);
  ExpectTestPattern(second);
  ExpectColour(second, 4, 195, {255, 255, 0});
  ExpectColour(Decode(-3.0, 352, 240), 4, 195, {255, 0, 0});
  const TRgbImage last = Decode(10.0, 176, 120);
  ExpectTestPattern(last);
  ExpectColour(last, 4, 195, {0, 255, 0});
}

TEST_F(DShowFrameTest, FailsWithoutAPictureToDecode) {
  ASSERT_NE(Detector, nullptr);
  TRgbImage frame;
  EXPECT_FALSE(Detector->DecodeFrame(Medium("graph-sine.wav"), 0.0, 352, 240, frame));
  EXPECT_FALSE(Detector->DecodeFrame(Medium("graph-noise.bin"), 0.0, 352, 240, frame));
  EXPECT_FALSE(Detector->DecodeFrame(test::TestMediaDir() + "/no-such-file.avi", 0.0, 352, 240, frame));
  EXPECT_FALSE(Detector->DecodeFrame(Medium("graph-clip.avi"), 0.0, 0, 240, frame));
}

// A bitmap of an odd width (its rows padded, the bottom one first) reads
// back top-down in RGB, and one whose pixels are cut short is refused.
TEST(DShowFrameConvertTest, ReadsPaddedBottomUpBitmaps) {
  const TRgbImage source{3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19}};
  std::vector<uint8_t> file = EncodeBitmap(source);
  dshow::TBgrPicture picture;
  TRgbImage read;
  ASSERT_TRUE(dshow::ReadBitmapPicture(file, picture));
  ASSERT_TRUE(dshow::ScaleToRgb(picture, 3, 2, read));
  EXPECT_EQ(read.Pixels, source.Pixels);
  file.resize(file.size() - 1);
  EXPECT_FALSE(dshow::ReadBitmapPicture(file, picture));
}

}  // namespace
}  // namespace mova
