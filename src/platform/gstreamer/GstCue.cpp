#include "platform/gstreamer/GstCue.h"

#include <gst/pbutils/missing-plugins.h>

#include "platform/gstreamer/GstHandles.h"

namespace mova {

namespace {

bool IsMissingDecoder(GstMessage* message) {
  if (gst_is_missing_plugin_message(message)) return true;
  if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_WARNING) return false;
  GError* error = nullptr;
  gst_message_parse_warning(message, &error, nullptr);
  const gsthandles::ErrorPtr owned(error);
  return error != nullptr && (g_error_matches(error, GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND) ||
                              g_error_matches(error, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN));
}

bool Fails(GstMessage* message) { return GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR || IsMissingDecoder(message); }

// A streaming thread stopped because its pad had no peer.
bool StoppedUnlinked(GstMessage* message) {
  if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR) return false;
  GError* error = nullptr;
  gchar* debug = nullptr;
  gst_message_parse_error(message, &error, &debug);
  const gsthandles::ErrorPtr owned(error);
  const bool unlinked = debug != nullptr && g_strrstr(debug, "not-linked") != nullptr;
  g_free(debug);
  return unlinked;
}

}  // namespace

bool IsFrom(GstMessage* message, GstElement* element) {
  GstObject* source = GST_MESSAGE_SRC(message);
  return element != nullptr && source != nullptr &&
         (source == GST_OBJECT(element) || gst_object_has_as_ancestor(source, GST_OBJECT(element)));
}

TCueResult CuePipeline(GstElement* pipeline, GstBus* bus, std::chrono::milliseconds timeout, GstElement* spare) {
  TCueResult result;
  const GstStateChangeReturn change = gst_element_set_state(pipeline, GST_STATE_PAUSED);
  if (change == GST_STATE_CHANGE_FAILURE) return result;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const auto types = static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_WARNING | GST_MESSAGE_ELEMENT |
                                                 GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_EOS);
  bool cued = change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL;
  while (!cued) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return result;
    gsthandles::MessagePtr message(gst_bus_timed_pop_filtered(bus, left.count(), types));
    if (!message) return result;  // timed out
    if (Fails(message.get()) && !IsFrom(message.get(), spare)) {  // cannot play
      result.Unlinked = StoppedUnlinked(message.get());
      return result;
    }
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) result.Ended = true;
    cued = GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE;
  }
  // A stream found undecodable while the others were cued still fails.
  while (gsthandles::MessagePtr message{gst_bus_pop_filtered(bus, types)}) {
    if (Fails(message.get()) && !IsFrom(message.get(), spare)) return result;
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) result.Ended = true;
  }
  result.Cued = true;
  return result;
}

}  // namespace mova
