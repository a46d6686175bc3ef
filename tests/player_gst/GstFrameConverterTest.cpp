// The conversion of a decoded picture into the image the video window
// paints: whichever way it takes (the vector code for the usual I420
// pictures, GStreamer's converter for the rest), every pixel must have the
// colour the picture has at that place, in every colour matrix and range, at
// every size, wherever the planes lie in memory.
#include <gtest/gtest.h>

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/gstreamer/GstFrameConverter.h"

namespace mova::test {
namespace {

struct TPicture {
  int Width = 0;
  int Height = 0;
  const char* Colorimetry = "bt709";
  int Padding = 0;  // bytes after every row of every plane, as decoders lay pictures out
  GstVideoInterlaceMode Interlace = GST_VIDEO_INTERLACE_MODE_PROGRESSIVE;
};

GstVideoInfo InfoOf(const TPicture& picture) {
  GstVideoInfo info;
  gst_video_info_set_interlaced_format(&info, GST_VIDEO_FORMAT_I420, picture.Interlace, picture.Width,
                                       picture.Height);
  EXPECT_TRUE(gst_video_colorimetry_from_string(&info.colorimetry, picture.Colorimetry));
  GST_VIDEO_INFO_FPS_N(&info) = 25;
  GST_VIDEO_INFO_FPS_D(&info) = 1;
  return info;
}

// The picture's planes as functions of the sample's place: luma rises left
// to right, one colour plane top to bottom, the other along the diagonal.
// The slopes are gentle and every colour stays inside the RGB cube, so a
// filter that weighs the neighbours symmetrically gives the value at the
// pixel's own place, and the expected colour follows exactly.
double PlaneValue(int plane, double x, double y, int width, int height) {
  const double across = width > 1 ? std::clamp(x / (width - 1), 0.0, 1.0) : 0.0;
  const double down = height > 1 ? std::clamp(y / (height - 1), 0.0, 1.0) : 0.0;
  return plane == 0 ? 100 + 60 * across : plane == 1 ? 88 + 80 * down : 88 + 80 * (across + down) / 2;
}

guint8 Sample(int plane, int x, int y, int width, int height) {
  return static_cast<guint8>(std::lround(PlaneValue(plane, x, y, width, height)));
}

// An I420 sample whose rows may be longer than the picture, with the planes'
// places told by a video meta, as a decoder rendering straight into its
// buffers hands them out.
GstSample* MakeSample(const TPicture& picture) {
  const GstVideoInfo info = InfoOf(picture);
  gsize offsets[GST_VIDEO_MAX_PLANES] = {};
  gint strides[GST_VIDEO_MAX_PLANES] = {};
  gsize size = 0;
  for (guint plane = 0; plane < 3; ++plane) {
    offsets[plane] = size;
    strides[plane] = GST_VIDEO_INFO_PLANE_STRIDE(&info, plane) + picture.Padding;
    size += static_cast<gsize>(strides[plane]) * GST_VIDEO_INFO_COMP_HEIGHT(&info, plane);
  }
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
  GstMapInfo map;
  EXPECT_TRUE(gst_buffer_map(buffer, &map, GST_MAP_WRITE));
  std::fill(map.data, map.data + map.size, 0x55);  // the padding holds stray values
  for (guint plane = 0; plane < 3; ++plane) {
    const int width = GST_VIDEO_INFO_COMP_WIDTH(&info, plane);
    const int height = GST_VIDEO_INFO_COMP_HEIGHT(&info, plane);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        map.data[offsets[plane] + static_cast<gsize>(y) * strides[plane] + x] = Sample(plane, x, y, width, height);
  }
  gst_buffer_unmap(buffer, &map);
  gst_buffer_add_video_meta_full(buffer, GST_VIDEO_FRAME_FLAG_NONE, GST_VIDEO_FORMAT_I420, picture.Width,
                                 picture.Height, 3, offsets, strides);
  GstCaps* caps = gst_video_info_to_caps(&info);
  GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
  gst_caps_unref(caps);
  gst_buffer_unref(buffer);
  return sample;
}

// The colour of output pixel (x, y) of a `shown` image of the picture, from
// the planes' functions and the colour matrix's definition.
QRgb Expected(const TPicture& picture, QSize shown, int x, int y) {
  const GstVideoInfo info = InfoOf(picture);
  // The output pixel's centre in luma samples, then in colour samples
  // (centred between their two luma samples).
  const double lumaX = (x + 0.5) * picture.Width / shown.width() - 0.5;
  const double lumaY = (y + 0.5) * picture.Height / shown.height() - 0.5;
  const int colourWidth = GST_VIDEO_INFO_COMP_WIDTH(&info, 1);
  const int colourHeight = GST_VIDEO_INFO_COMP_HEIGHT(&info, 1);
  const double luma = PlaneValue(0, lumaX, lumaY, picture.Width, picture.Height);
  const double u = PlaneValue(1, (lumaX - 0.5) / 2, (lumaY - 0.5) / 2, colourWidth, colourHeight);
  const double v = PlaneValue(2, (lumaX - 0.5) / 2, (lumaY - 0.5) / 2, colourWidth, colourHeight);
  gdouble kr = 0.0;
  gdouble kb = 0.0;
  EXPECT_TRUE(gst_video_color_matrix_get_Kr_Kb(info.colorimetry.matrix, &kr, &kb));
  const bool full = info.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255;
  const double ey = full ? luma : (luma - 16) * 255 / 219;
  const double pb = (u - 128) * (full ? 1.0 : 255.0 / 224);
  const double pr = (v - 128) * (full ? 1.0 : 255.0 / 224);
  const double red = ey + 2 * (1 - kr) * pr;
  const double blue = ey + 2 * (1 - kb) * pb;
  const double green = (ey - kr * red - kb * blue) / (1 - kr - kb);
  auto level = [](double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0))); };
  return qRgb(level(red), level(green), level(blue));
}

struct TDifference {
  double Mean = 0.0;
  int Largest = 0;
};

TDifference Compare(const QImage& image, const TPicture& picture) {
  TDifference difference;
  long long total = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      const QRgb q = Expected(picture, image.size(), x, y);
      for (const int channel : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))}) {
        total += channel;
        difference.Largest = std::max(difference.Largest, channel);
      }
    }
  difference.Mean = static_cast<double>(total) / (3.0 * image.width() * image.height());
  return difference;
}

class GstFrameConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { gst_init(nullptr, nullptr); }

  // Converts `picture` shown in `shown` and checks every pixel's colour.
  // The planes hold whole numbers and the filters differ at the picture's
  // edges, so a pixel may be off by a little; a wrong matrix, range, plane or
  // stride is off by tens of levels. GStreamer's own converter, which takes
  // the rarer pictures, computes in 8 bits and is allowed a little more.
  void ExpectColours(const TPicture& picture, QSize shown, QSize expected, double mean = 1.6, int largest = 4) {
    SCOPED_TRACE(std::to_string(picture.Width) + "x" + std::to_string(picture.Height) + " " + picture.Colorimetry +
                 " in " + std::to_string(shown.width()) + "x" + std::to_string(shown.height()));
    GstSample* sample = MakeSample(picture);
    TFrameConverter converter;
    const QImage image = converter.Convert(sample, shown);
    gst_sample_unref(sample);
    ASSERT_EQ(image.size(), expected);
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    const TDifference difference = Compare(image, picture);
    EXPECT_LT(difference.Mean, mean);
    EXPECT_LE(difference.Largest, largest);
    // Every pixel opaque: the image is painted as it is.
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << x << "," << y;
  }
};

TEST_F(GstFrameConverterTest, EveryColourMatrixAndRangeGivesItsOwnColours) {
  for (const char* colorimetry : {"bt709", "bt601", "bt2020", "1:4:0:0" /* BT.601 full range */,
                                  "1:3:5:1" /* BT.709 full range */, "1:6:0:0" /* BT.2020 full range */,
                                  "2:5:0:0" /* SMPTE 240M */}) {
    ExpectColours({64, 48, colorimetry}, QSize(64, 48), QSize(64, 48));
  }
}

TEST_F(GstFrameConverterTest, ScaledDownPicturesKeepTheirColoursAtEverySize) {
  ExpectColours({320, 180}, QSize(160, 90), QSize(160, 90));   // exactly half
  ExpectColours({320, 180}, QSize(213, 120), QSize(213, 120));  // two thirds
  // A fifth: libyuv's box filter rounds its averages of more than two
  // samples down, so the colours may come out up to a level darker.
  ExpectColours({320, 180}, QSize(64, 36), QSize(64, 36), 2.0, 5);
  ExpectColours({320, 180}, QSize(320, 90), QSize(320, 90));    // only shorter
}

TEST_F(GstFrameConverterTest, OddSizesAndPaddedRowsAreReadWhereTheyAre) {
  ExpectColours({71, 41, "bt709", 13}, QSize(71, 41), QSize(71, 41));
  ExpectColours({71, 41, "bt709", 13}, QSize(35, 20), QSize(35, 20));
  ExpectColours({160, 120, "bt601", 64}, QSize(80, 60), QSize(80, 60));
  ExpectColours({160, 120, "bt601", 64}, QSize(100, 75), QSize(100, 75));
}

TEST_F(GstFrameConverterTest, AWindowLargerThanThePictureGetsThePictureAtItsOwnSize) {
  ExpectColours({64, 48}, QSize(128, 96), QSize(64, 48));
  ExpectColours({64, 48}, QSize(128, 24), QSize(64, 48));  // wider, not taller: not scaled
  ExpectColours({64, 48}, QSize(0, 0), QSize(64, 48));      // no window yet
}

TEST_F(GstFrameConverterTest, InterlacedPicturesTakeGStreamersConverter) {
  TPicture picture{64, 48};
  picture.Interlace = GST_VIDEO_INTERLACE_MODE_INTERLEAVED;
  ExpectColours(picture, QSize(64, 48), QSize(64, 48), 3.0, 8);
}

TEST_F(GstFrameConverterTest, AnImageStillBeingPaintedIsNeverWrittenAgain) {
  GstSample* sample = MakeSample({64, 48});
  TFrameConverter converter;
  const QImage first = converter.Convert(sample, QSize(32, 24));
  const QImage copyOfFirst = first.copy();
  // Held like painted frames: the converter must write new images meanwhile.
  std::vector<QImage> held;
  for (int i = 0; i < 5; ++i) held.push_back(converter.Convert(sample, QSize(32, 24)));
  for (const QImage& image : held) EXPECT_NE(image.constBits(), first.constBits());
  EXPECT_EQ(first, copyOfFirst);
  gst_sample_unref(sample);
}

TEST_F(GstFrameConverterTest, ASampleWithoutAPictureGivesNoImage) {
  TFrameConverter converter;
  GstCaps* caps = gst_caps_from_string("audio/x-raw,format=S16LE,rate=48000,channels=2");
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, 64, nullptr);
  GstSample* audio = gst_sample_new(buffer, caps, nullptr, nullptr);
  EXPECT_TRUE(converter.Convert(audio, QSize(32, 24)).isNull());
  gst_sample_unref(audio);
  // A buffer too short for the picture its caps tell of.
  const GstVideoInfo info = InfoOf({64, 48});
  GstCaps* video = gst_video_info_to_caps(&info);
  GstSample* truncated = gst_sample_new(buffer, video, nullptr, nullptr);
  EXPECT_TRUE(converter.Convert(truncated, QSize(64, 48)).isNull());
  gst_sample_unref(truncated);
  gst_caps_unref(video);
  gst_caps_unref(caps);
  gst_buffer_unref(buffer);
}

}  // namespace
}  // namespace mova::test
