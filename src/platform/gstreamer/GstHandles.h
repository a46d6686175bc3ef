#pragma once
// Owning handles for the GStreamer references the media graph holds.
#include <gst/gst.h>

#include <memory>

namespace mova::gsthandles {

struct ObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
struct MessageUnref {
  void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct SampleUnref {
  void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
struct CapsUnref {
  void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};

using ElementPtr = std::unique_ptr<GstElement, ObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, ObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, ObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
using SamplePtr = std::unique_ptr<GstSample, SampleUnref>;
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;
using CharPtr = std::unique_ptr<gchar, GFree>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

}  // namespace mova::gsthandles
