#include "platform/gstreamer/GstSinks.h"

#include "platform/gstreamer/GstHandles.h"

namespace mova {

GstElement* MakeAudioSink(bool silent) {
  // autoaudiosink falls back to a fake sink of its own when no device opens;
  // either way the sink keeps the clock, so playback runs in real time.
  GstElement* sink = silent ? nullptr : gst_element_factory_make("autoaudiosink", nullptr);
  if (sink == nullptr) sink = gst_element_factory_make("fakesink", nullptr);
  if (sink != nullptr) g_object_set(sink, "sync", TRUE, nullptr);
  return sink;
}

GstElement* MakeAppSink(GstAppSinkCallbacks* callbacks, gpointer self) {
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  if (sink == nullptr) return nullptr;
  // I420, what most decoders give, is converted (and scaled) to RGB32 in one
  // pass when the window paints it; BGRx is QImage's RGB32 on a little-endian
  // machine and may well be painted as it is.
  gsthandles::CapsPtr caps(gst_caps_from_string("video/x-raw,format={ I420, BGRx }"));
  // The sink keeps no last picture of its own: the frame slot holds the newest one.
  g_object_set(sink, "caps", caps.get(), "sync", TRUE, "max-buffers", 1u, "drop", TRUE, "enable-last-sample", FALSE,
               nullptr);
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), callbacks, self, nullptr);
  return sink;
}

}  // namespace mova
