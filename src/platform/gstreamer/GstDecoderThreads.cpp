#include "platform/gstreamer/GstDecoderThreads.h"

#include "platform/gstreamer/GstHandles.h"

namespace mova {

namespace {

// Such a stream needs a fraction of one core, while every further thread of
// the decoder holds pictures of its own (25 MB more at 1080p) and delays the
// first picture by one.
constexpr double SingleThreadPixelRate = 1920.0 * 1088.0 * 30.0;

GstPadProbeReturn OnDecoderCaps(GstPad*, GstPadProbeInfo* info, gpointer decoder) {
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  if (event == nullptr || GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
  GstCaps* caps = nullptr;
  gst_event_parse_caps(event, &caps);
  const GstStructure* format = caps != nullptr && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0)
                                                                              : nullptr;
  gint width = 0;
  gint height = 0;
  if (format == nullptr || !gst_structure_get_int(format, "width", &width) ||
      !gst_structure_get_int(format, "height", &height) || width <= 0 || height <= 0)
    return GST_PAD_PROBE_OK;
  gint numerator = 0;
  gint denominator = 0;
  double rate = 30.0;  // a stream that states no rate counts as an ordinary one
  if (gst_structure_get_fraction(format, "framerate", &numerator, &denominator) && numerator > 0 &&
      denominator > 0)
    rate = static_cast<double>(numerator) / denominator;
  const bool light = static_cast<double>(width) * height * rate <= SingleThreadPixelRate;
  // Read by the decoder when it opens its codec for these caps, just after.
  g_object_set(decoder, "max-threads", light ? 1 : 0, nullptr);
  return GST_PAD_PROBE_OK;
}

// Called for every element added anywhere in the pipeline, on the thread
// that adds it.
void OnElementAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
  GstElementFactory* factory = gst_element_get_factory(element);
  if (factory == nullptr || !gst_element_factory_list_is_type(factory, GST_ELEMENT_FACTORY_TYPE_DECODER |
                                                                           GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO))
    return;
  GParamSpec* threads = g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads");
  if (threads == nullptr || threads->value_type != G_TYPE_INT) return;
  const gsthandles::PadPtr pad(gst_element_get_static_pad(element, "sink"));
  // The decoder outlives its own pad, so the probe may keep a plain pointer.
  if (pad) gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &OnDecoderCaps, element, nullptr);
}

}  // namespace

void LimitDecoderThreads(GstElement* pipeline) {
  g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(&OnElementAdded), nullptr);
}

}  // namespace mova
