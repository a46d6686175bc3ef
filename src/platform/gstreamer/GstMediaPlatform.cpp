#include "platform/gstreamer/GstMediaPlatform.h"

#include <gst/gst.h>
#include <pthread.h>

#include <algorithm>
#include <cstring>

#include <QBuffer>
#include <QImage>

#include "platform/gstreamer/GstFrameDetector.h"
#include "platform/gstreamer/GstHandles.h"
#include "platform/gstreamer/SoundOutputs.h"

namespace mova {

namespace {

int LivePlatforms = 0;            // touched on the window thread only
bool GStreamerShutDown = false;  // GStreamer cannot start again once shut down
bool ShutDownOnLastPlatform = false;

// True when the automatic audio sink finds a real device. Without one it
// would fall back to a fake sink on every graph, after trying (and loudly
// failing) each device again; asking once spares each open that delay.
bool HasSoundDevice() {
  GstElement* probe = gst_element_factory_make("autoaudiosink", nullptr);
  if (probe == nullptr) return false;
  gsthandles::ElementPtr sink(GST_ELEMENT(gst_object_ref_sink(probe)));
  if (gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
    gst_element_set_state(sink.get(), GST_STATE_NULL);
    return false;
  }
  bool real = false;
  GstIterator* children = gst_bin_iterate_elements(GST_BIN(sink.get()));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
    GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
    const char* name = factory != nullptr ? GST_OBJECT_NAME(factory) : "";
    if (std::strcmp(name, "fakesink") != 0) real = true;
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(children);
  gst_element_set_state(sink.get(), GST_STATE_NULL);
  return real;
}

// The plugins nearly every file needs. Loading them takes a good part of the
// time to the first picture, so it runs at start-up beside the window's
// creation instead of inside the first open. The decoders' plugin comes first:
// it links some hundred libraries, and the dynamic linker, which serves one
// thread at a time, then makes the window's own (much shorter) plugin loading
// wait rather than the other way round. Other demuxers (Matroska, AVI) load in
// well under a millisecond when a file needs them; loaded here they would only
// stay resident for every other file.
constexpr const char* CommonPlugins[] = {"libav", "coreelements", "playback", "app", "typefindfunctions",
                                         "isomp4", "videoparsersbad", "audioparsers", "deinterlace",
                                         "videoconvertscale", "videofilter", "volume", "audioconvert",
                                         "audioresample"};

void LoadCommonPlugins() {
  for (const char* name : CommonPlugins) {
    if (GstPlugin* plugin = gst_plugin_load_by_name(name)) gst_object_unref(plugin);
  }
}

}  // namespace

TGstMediaPlatform::TGstMediaPlatform(TGstGraphOptions options) : Options(options) {
  if (GStreamerShutDown) return;
  Live = true;
  ++LivePlatforms;
  AskedForSound = !Options.SilentAudio;
  // GStreamer itself starts on the warm-up thread too (reading its plugin
  // registry takes ~10 ms), so the window's creation does not wait for it.
  WarmUp = std::thread([this] {
    // Named so that profilers and debuggers tell it from the window thread.
    pthread_setname_np(pthread_self(), "mova-warm-up");
    if (!gst_is_initialized()) {
      GError* error = nullptr;
      if (!gst_init_check(nullptr, nullptr, &error)) {
        if (error != nullptr) g_error_free(error);
        return;
      }
      StartedGStreamer = true;
    }
    Started = true;
    if (AskedForSound) SoundDevice = MayHaveSoundOutput() && HasSoundDevice();
    LoadCommonPlugins();
  });
}

void TGstMediaPlatform::FinishWarmUp() {
  if (!WarmUp.joinable()) return;
  WarmUp.join();
  if (StartedGStreamer) ShutDownOnLastPlatform = true;
  if (AskedForSound) Options.SilentAudio = !SoundDevice;
}

bool TGstMediaPlatform::Ready() {
  FinishWarmUp();
  return Started;
}

TGstMediaPlatform::~TGstMediaPlatform() {
  if (!Live) return;
  FinishWarmUp();
  if (--LivePlatforms == 0 && ShutDownOnLastPlatform) {
    gst_deinit();
    GStreamerShutDown = true;
  }
}

std::unique_ptr<IMediaGraph> TGstMediaPlatform::CreateGraph() {
  if (!Ready()) return nullptr;
  return std::make_unique<TGstMediaGraph>(Options);
}

std::unique_ptr<IFrameDetector> TGstMediaPlatform::CreateFrameDetector() {
  if (!Ready()) return nullptr;
  return std::make_unique<TGstFrameDetector>();
}

bool TGstMediaPlatform::EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) {
  const size_t rowBytes = static_cast<size_t>(picture.Width) * 3;
  const size_t size = rowBytes * static_cast<size_t>(std::max(picture.Height, 0));
  if (picture.Width <= 0 || picture.Height <= 0 || picture.Pixels.size() < size) return false;
  const QImage image(picture.Pixels.data(), picture.Width, picture.Height, static_cast<qsizetype>(rowBytes),
                     QImage::Format_RGB888);
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  bytes.assign(encoded.begin(), encoded.end());
  return !bytes.empty();
}

}  // namespace mova
