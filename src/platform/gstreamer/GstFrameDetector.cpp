#include "platform/gstreamer/GstFrameDetector.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gstreamer/GstHandles.h"
#include "platform/gstreamer/GstStreamFacts.h"

namespace mova {

namespace {

using gsthandles::BusPtr;
using gsthandles::CapsPtr;
using gsthandles::ElementPtr;
using gsthandles::MessagePtr;
using gsthandles::PadPtr;
using gsthandles::SamplePtr;

constexpr const char* NoVideoMessage = "mova-frame-no-video";

// What decodebin's streaming threads share with the waiting window thread.
struct TDecodeLinks {
  std::mutex Lock;
  GstElement* Pipeline = nullptr;  // borrowed: the pipeline outlives every signal
  GstPad* VideoInput = nullptr;    // borrowed: the converter's sink pad
  bool Linked = false;
  // The first sound stream, played into a sink of its own so that its tags,
  // an audio file's cover picture among them, reach the pad before the cue.
  PadPtr Sound;
  // Borrowed: the elements that take the picture, taken out of a file that
  // has none, so that they do not hold up its cue.
  std::vector<GstElement*> PictureBranch;
};

void PostNoVideo(TDecodeLinks& links) {
  GstStructure* what = gst_structure_new_empty(NoVideoMessage);
  gst_element_post_message(links.Pipeline, gst_message_new_application(GST_OBJECT(links.Pipeline), what));
}

bool IsRaw(GstPad* pad, const char* kind) {
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (caps == nullptr) caps = gst_pad_query_caps(pad, nullptr);
  if (caps == nullptr) return false;
  CapsPtr owned(caps);
  if (gst_caps_is_empty(caps) || gst_caps_get_size(caps) == 0) return false;
  return std::strcmp(gst_structure_get_name(gst_caps_get_structure(caps, 0)), kind) == 0;
}

void LinkSound(GstPad* pad, TDecodeLinks& links) {
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  if (sink == nullptr) return;
  g_object_set(sink, "sync", FALSE, nullptr);
  gst_bin_add(GST_BIN(links.Pipeline), sink);
  gst_element_sync_state_with_parent(sink);
  PadPtr input(gst_element_get_static_pad(sink, "sink"));
  if (GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, input.get()))) links.Sound.reset(GST_PAD(gst_object_ref(pad)));
}

// The cover picture that came with the sound, at exactly the size asked for.
bool CopyCover(GstPad* sound, int32_t width, int32_t height, TRgbImage& frame) {
  GstTagList* tags = StreamTags(sound);
  const QImage cover = CoverPicture(tags);
  if (tags != nullptr) gst_tag_list_unref(tags);
  if (cover.isNull()) return false;
  const QImage picture = cover.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB888);
  if (picture.width() != width || picture.height() != height) return false;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  frame.Width = width;
  frame.Height = height;
  frame.Pixels.resize(rowBytes * static_cast<size_t>(height));
  for (int row = 0; row < height; ++row)
    std::memcpy(frame.Pixels.data() + static_cast<size_t>(row) * rowBytes, picture.constScanLine(row), rowBytes);
  return true;
}

// decodebin exposes its pads sorted by kind and then by stream, so the first
// raw video pad it adds is the file's first video stream; the others (audio,
// later video streams, subtitles) stay unlinked and are dropped.
void OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
  auto& links = *static_cast<TDecodeLinks*>(data);
  std::lock_guard<std::mutex> guard(links.Lock);
  if (!links.Sound && IsRaw(pad, "audio/x-raw")) LinkSound(pad, links);
  if (links.Linked || !IsRaw(pad, "video/x-raw")) return;
  if (GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, links.VideoInput))) links.Linked = true;
}

void OnNoMorePads(GstElement*, gpointer data) {
  auto& links = *static_cast<TDecodeLinks*>(data);
  std::lock_guard<std::mutex> guard(links.Lock);
  if (links.Linked) return;
  if (!links.Sound) {
    PostNoVideo(links);
    return;
  }
  for (GstElement* element : links.PictureBranch) {
    gst_element_set_locked_state(element, TRUE);
    gst_element_set_state(element, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(links.Pipeline), element);
  }
}

enum class WaitResult { Done, Failed };

// Waits until the pipeline has finished its pending state change (cued the
// frame, or reached the end); errors, a file without video and the time-out
// all fail.
WaitResult WaitForCue(GstBus* bus, int timeoutMs) {
  const gint64 deadline = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
  for (;;) {
    const gint64 left = deadline - g_get_monotonic_time();
    if (left <= 0) return WaitResult::Failed;
    const auto types =
        static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION);
    MessagePtr message(gst_bus_timed_pop_filtered(bus, static_cast<GstClockTime>(left) * 1000, types));
    if (!message) return WaitResult::Failed;
    switch (GST_MESSAGE_TYPE(message.get())) {
      case GST_MESSAGE_ASYNC_DONE:
        return WaitResult::Done;
      case GST_MESSAGE_APPLICATION: {
        const GstStructure* what = gst_message_get_structure(message.get());
        if (what != nullptr && gst_structure_has_name(what, NoVideoMessage)) return WaitResult::Failed;
        break;
      }
      default:
        return WaitResult::Failed;
    }
  }
}

bool SeekAndCue(GstElement* pipeline, GstBus* bus, gint64 position, int timeoutMs) {
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  if (!gst_element_seek_simple(pipeline, GST_FORMAT_TIME, flags, std::max<gint64>(position, 0))) return false;
  return WaitForCue(bus, timeoutMs) == WaitResult::Done;
}

// The length of one frame from the negotiated rate; 40 ms when the stream
// does not say (variable rate).
gint64 FramePeriod(GstElement* sink) {
  GstPad* pad = gst_element_get_static_pad(sink, "sink");
  if (pad == nullptr) return 40 * GST_MSECOND;
  PadPtr owned(pad);
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (caps == nullptr) return 40 * GST_MSECOND;
  CapsPtr ownedCaps(caps);
  gint num = 0;
  gint den = 0;
  if (!gst_structure_get_fraction(gst_caps_get_structure(caps, 0), "framerate", &num, &den) || num <= 0 ||
      den <= 0) {
    return 40 * GST_MSECOND;
  }
  return static_cast<gint64>(gst_util_uint64_scale_int(GST_SECOND, den, num));
}

bool CopyFrame(GstSample* sample, int32_t width, int32_t height, TRgbImage& frame) {
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstVideoInfo info;
  if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&info, caps)) return false;
  if (GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_RGB || GST_VIDEO_INFO_WIDTH(&info) != width ||
      GST_VIDEO_INFO_HEIGHT(&info) != height) {
    return false;
  }
  GstVideoFrame video;
  if (!gst_video_frame_map(&video, &info, buffer, GST_MAP_READ)) return false;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  frame.Width = width;
  frame.Height = height;
  frame.Pixels.resize(rowBytes * static_cast<size_t>(height));
  const auto* source = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 0));
  const size_t stride = static_cast<size_t>(GST_VIDEO_FRAME_PLANE_STRIDE(&video, 0));
  for (size_t row = 0; row < static_cast<size_t>(height); ++row) {
    std::memcpy(frame.Pixels.data() + row * rowBytes, source + row * stride, rowBytes);
  }
  gst_video_frame_unmap(&video);
  return true;
}

// Brings the pipeline down before anything it points at goes away, so no
// streaming thread can still run a callback.
struct TPipelineStopper {
  GstElement* Pipeline;
  ~TPipelineStopper() { gst_element_set_state(Pipeline, GST_STATE_NULL); }
};

}  // namespace

TGstFrameDetector::TGstFrameDetector(int stepTimeoutMs) : StepTimeoutMs(std::max(stepTimeoutMs, 1)) {
  if (!gst_is_initialized()) gst_init(nullptr, nullptr);
}

bool TGstFrameDetector::DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                                    TRgbImage& frame) {
  if (fileName.empty() || width <= 0 || height <= 0 || !std::isfinite(seconds)) return false;
  if (!gst_is_initialized()) return false;

  GstElement* pipelineRaw = gst_pipeline_new(nullptr);
  if (pipelineRaw == nullptr) return false;
  ElementPtr pipeline(GST_ELEMENT(gst_object_ref_sink(pipelineRaw)));
  GstElement* source = gst_element_factory_make("filesrc", nullptr);
  GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
  GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
  // The picture is saved as it is shown: turned as its orientation tag says.
  GstElement* turn = gst_element_factory_make("videoflip", nullptr);
  GstElement* scale = gst_element_factory_make("videoscale", nullptr);
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  // Elements not yet in the bin are owned here; the bin takes them over.
  for (GstElement* element : {source, decoder, convert, turn, scale, sink}) {
    if (element == nullptr) {
      for (GstElement* other : {source, decoder, convert, turn, scale, sink}) {
        if (other != nullptr) gst_object_unref(gst_object_ref_sink(other));
      }
      return false;
    }
  }
  gst_bin_add_many(GST_BIN(pipeline.get()), source, decoder, convert, turn, scale, sink, nullptr);
  gst_util_set_object_arg(G_OBJECT(turn), "video-direction", "auto");

  g_object_set(source, "location", fileName.c_str(), nullptr);
  // Stretch to exactly the requested size: no borders keep the shape.
  g_object_set(scale, "method", 1 /* bilinear */, "add-borders", FALSE, nullptr);
  GstCaps* wanted = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGB", "width", G_TYPE_INT,
                                        static_cast<int>(width), "height", G_TYPE_INT, static_cast<int>(height),
                                        nullptr);
  g_object_set(sink, "caps", wanted, "sync", FALSE, "max-buffers", 1u, "enable-last-sample", FALSE, nullptr);
  gst_caps_unref(wanted);
  if (!gst_element_link(source, decoder) || !gst_element_link_many(convert, turn, scale, sink, nullptr)) return false;

  TDecodeLinks links;
  links.Pipeline = pipeline.get();
  PadPtr videoInput(gst_element_get_static_pad(convert, "sink"));
  links.VideoInput = videoInput.get();
  links.PictureBranch = {convert, turn, scale, sink};
  g_signal_connect(decoder, "pad-added", G_CALLBACK(OnPadAdded), &links);
  g_signal_connect(decoder, "no-more-pads", G_CALLBACK(OnNoMorePads), &links);

  BusPtr bus(gst_element_get_bus(pipeline.get()));
  TPipelineStopper stopper{pipeline.get()};
  if (gst_element_set_state(pipeline.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) return false;
  if (WaitForCue(bus.get(), StepTimeoutMs) != WaitResult::Done) return false;
  {
    std::lock_guard<std::mutex> guard(links.Lock);
    // Without a picture stream, an audio file's cover is its picture at any time.
    if (!links.Linked) return links.Sound && CopyCover(links.Sound.get(), width, height, frame);
  }

  GstAppSink* appSink = GST_APP_SINK(sink);
  // Times count from the stream's first time stamp, which is where it is cued.
  gint64 origin = 0;
  if (!gst_element_query_position(pipeline.get(), GST_FORMAT_TIME, &origin) || origin < 0) origin = 0;
  gint64 target = static_cast<gint64>(std::max(seconds, 0.0) * GST_SECOND);
  gint64 duration = 0;
  if (!gst_element_query_duration(pipeline.get(), GST_FORMAT_TIME, &duration)) duration = 0;
  // At or past the end no frame starts any more; the picture shown there is
  // the last one, which begins one frame period before the end.
  if (duration > 0 && target >= duration) target = std::max<gint64>(duration - FramePeriod(sink), 0);
  // The first cue already shows the frame at 0; any other time needs an exact seek.
  if (target > 0 && !SeekAndCue(pipeline.get(), bus.get(), origin + target, StepTimeoutMs)) return false;
  SamplePtr sample(gst_app_sink_try_pull_preroll(appSink, 0));
  if (!sample && target > 0) {
    // The end reported by the container may lie beyond the last frame's start
    // by more than one period (or be unknown): step back once.
    if (!SeekAndCue(pipeline.get(), bus.get(), origin + target - FramePeriod(sink), StepTimeoutMs)) return false;
    sample.reset(gst_app_sink_try_pull_preroll(appSink, 0));
  }
  if (!sample) return false;
  return CopyFrame(sample.get(), width, height, frame);
}

}  // namespace mova
