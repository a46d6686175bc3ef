#include "platform/gstreamer/UntimedPictures.h"

namespace mova {

namespace {

struct TPictureClock {
  GstClockTime SegmentStart = 0;
  GstClockTime Last = GST_CLOCK_TIME_NONE;  // the time of the picture before, none after a seek
};

GstPadProbeReturn OnSegment(GstPadProbeInfo* info, TPictureClock& clock) {
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) clock.Last = GST_CLOCK_TIME_NONE;
  if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event, &segment);
    if (segment->format == GST_FORMAT_TIME) clock.SegmentStart = segment->start;
    clock.Last = GST_CLOCK_TIME_NONE;
  }
  return GST_PAD_PROBE_OK;
}

GstPadProbeReturn OnPicture(GstPad*, GstPadProbeInfo* info, gpointer data) {
  TPictureClock& clock = *static_cast<TPictureClock*>(data);
  if ((GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) != 0) return OnSegment(info, clock);
  GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  if (buffer == nullptr) return GST_PAD_PROBE_OK;
  if (GST_BUFFER_PTS_IS_VALID(buffer)) {
    clock.Last = GST_BUFFER_PTS(buffer);
    return GST_PAD_PROBE_OK;
  }
  clock.Last = GST_CLOCK_TIME_IS_VALID(clock.Last) ? clock.Last + UntimedPictureInterval : clock.SegmentStart;
  buffer = gst_buffer_make_writable(buffer);
  GST_BUFFER_PTS(buffer) = clock.Last;
  GST_BUFFER_DURATION(buffer) = UntimedPictureInterval;
  GST_PAD_PROBE_INFO_DATA(info) = buffer;
  return GST_PAD_PROBE_OK;
}

}  // namespace

void TimeUntimedPictures(GstPad* pad) {
  // The probe owns its clock and frees it when the probe goes with the pad.
  gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                       GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                    &OnPicture, new TPictureClock, [](gpointer data) { delete static_cast<TPictureClock*>(data); });
}

}  // namespace mova
