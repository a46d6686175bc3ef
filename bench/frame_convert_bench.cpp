// Times the picture path's conversion of one decoded frame (I420, as most
// decoders give it) into the RGB32 image the video window paints, for the
// sizes that matter: a 1080p picture in a half-size window, at 100 %, in a
// window of two thirds, and a 720p picture at 100 %.
//
//   frame_convert_bench [frames]   (default 300 per case)
#include <gst/gst.h>
#include <gst/video/video.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/gstreamer/GstFrameConverter.h"

namespace {

// A noisy I420 picture, so no path gains from uniform data.
GstSample* MakeSample(int width, int height) {
  GstVideoInfo info;
  gst_video_info_set_format(&info, GST_VIDEO_FORMAT_I420, width, height);
  GstCaps* caps = gst_video_info_to_caps(&info);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_WRITE);
  std::mt19937 random(7);
  for (gsize i = 0; i < map.size; ++i) map.data[i] = static_cast<guint8>(random());
  gst_buffer_unmap(buffer, &map);
  GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
  gst_buffer_unref(buffer);
  gst_caps_unref(caps);
  return sample;
}

}  // namespace

int main(int argc, char** argv) {
  gst_init(&argc, &argv);
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  struct TCase {
    const char* Name;
    int Width, Height;
    QSize Shown;
  };
  const TCase cases[] = {
      {"1080p in 960x540", 1920, 1080, QSize(960, 540)},
      {"1080p at 100 %", 1920, 1080, QSize(1920, 1080)},
      {"1080p in 1280x720", 1920, 1080, QSize(1280, 720)},
      {"720p at 100 %", 1280, 720, QSize(1280, 720)},
  };
  std::printf("| case | ms per frame | %% of a core at 30 fps |\n|---|---|---|\n");
  for (const TCase& c : cases) {
    GstSample* sample = MakeSample(c.Width, c.Height);
    mova::TFrameConverter converter;
    QImage image = converter.Convert(sample, c.Shown);  // warms the converter up
    if (image.isNull()) {
      std::printf("| %s | failed | |\n", c.Name);
      gst_sample_unref(sample);
      continue;
    }
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) image = converter.Convert(sample, c.Shown);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
    std::printf("| %s | %.3f | %.1f |\n", c.Name, ms, ms * 30.0 / 10.0);
    gst_sample_unref(sample);
  }
  return 0;
}
