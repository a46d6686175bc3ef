// The codes the status bar names, from the formats GStreamer's demuxers and
// parsers give the decoders; and the picture and tags a stream carries.
#include "platform/gstreamer/GstStreamFacts.h"

#include <gtest/gtest.h>

#include <gst/video/video.h>

#include <QBuffer>

#include <string>

namespace mova {
namespace {

gsthandles::CapsPtr Caps(const char* text) {
  gst_init(nullptr, nullptr);
  return gsthandles::CapsPtr(gst_caps_from_string(text));
}

TEST(GstStreamFacts, SoundFormatsHaveTheirWaveTags) {
  const struct {
    const char* Caps;
    uint16_t Tag;
  } cases[] = {
      {"audio/x-raw,format=S16LE", 1},        {"audio/x-raw,format=F32LE", 3},
      {"audio/mpeg,mpegversion=1,layer=3", 0x55}, {"audio/mpeg,mpegversion=1,layer=2", 0x50},
      {"audio/mpeg,mpegversion=4", 0xFF},     {"audio/mpeg,mpegversion=2", 0xFF},
      {"audio/x-ac3", 0x2000},                {"audio/x-flac", 0xF1AC},
      {"audio/x-opus", 0x704F},               {"audio/x-vorbis", 0x674F},
      {"audio/x-wma,wmaversion=2", 0x161},    {"audio/x-wma,wmaversion=9", 0},
      {"audio/x-adpcm,layout=microsoft", 2},  {"audio/x-speex", 0},
  };
  for (const auto& entry : cases) EXPECT_EQ(WaveTagOf(Caps(entry.Caps).get()), entry.Tag) << entry.Caps;
  EXPECT_EQ(WaveTagOf(nullptr), 0);
}

TEST(GstStreamFacts, PictureFormatsHaveTheirFourCharacterCodes) {
  const struct {
    const char* Caps;
    const char* Code;
  } cases[] = {
      {"video/x-h264", "H264"},        {"video/x-h265", "HEVC"},         {"video/x-vp8", "VP80"},
      {"video/x-vp9", "VP90"},         {"video/x-av1", "AV01"},          {"video/mpeg,mpegversion=2", "MPG2"},
      {"video/mpeg,mpegversion=4", "MP4V"}, {"video/x-theora", "THEO"}, {"video/x-wmv,wmvversion=2", "WMV2"},
      {"video/x-wmv,wmvversion=3,format=WVC1", "WVC1"}, {"video/x-msmpeg,msmpegversion=43", "MP43"},
      {"image/jpeg", "MJPG"},          {"video/x-raw,format=I420", "I420"}, {"video/x-unknown", ""},
  };
  for (const auto& entry : cases) EXPECT_EQ(FourCcOf(Caps(entry.Caps).get()), entry.Code) << entry.Caps;
}

TEST(GstStreamFacts, TheCoverIsTheFrontPictureOfTheTagsAndBecomesAFrame) {
  // Two pictures: a blue one of no stated kind first, then the red front cover.
  const auto picture = [](Qt::GlobalColor colour, int kind) {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    GstBuffer* bytes = gst_buffer_new_memdup(png.constData(), static_cast<gsize>(png.size()));
    GstStructure* info = gst_structure_new("GstTagImageInfo", "image-type", G_TYPE_INT, kind, nullptr);
    GstSample* sample = gst_sample_new(bytes, nullptr, nullptr, info);
    gst_buffer_unref(bytes);
    return sample;
  };
  gst_init(nullptr, nullptr);
  GstTagList* tags = gst_tag_list_new_empty();
  GstSample* other = picture(Qt::blue, 0);
  GstSample* front = picture(Qt::red, 1);
  gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, GST_TAG_IMAGE, other, nullptr);
  gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, GST_TAG_IMAGE, front, nullptr);
  gst_sample_unref(other);
  gst_sample_unref(front);
  const QImage cover = CoverPicture(tags);
  gst_tag_list_unref(tags);
  ASSERT_FALSE(cover.isNull());
  EXPECT_EQ(cover.pixel(4, 3), QColor(Qt::red).rgb());

  const gsthandles::SamplePtr frame = SampleOfImage(cover);
  ASSERT_TRUE(frame);
  GstVideoInfo info;
  ASSERT_TRUE(gst_video_info_from_caps(&info, gst_sample_get_caps(frame.get())));
  EXPECT_EQ(GST_VIDEO_INFO_FORMAT(&info), GST_VIDEO_FORMAT_BGRx);
  EXPECT_EQ(GST_VIDEO_INFO_WIDTH(&info), 8);
  EXPECT_EQ(GST_VIDEO_INFO_HEIGHT(&info), 6);
  EXPECT_EQ(CoverPicture(nullptr).isNull(), true);
}

}  // namespace
}  // namespace mova
