// The cover picture a sound stream carries, chosen from its tags and made a frame.
#include "platform/gstreamer/GstStreamFacts.h"

#include <gtest/gtest.h>

#include <gst/video/video.h>

#include <QBuffer>

#include <string>

namespace mova {
namespace {


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
