#pragma once
// Raw picture streams without times of their own (a raw MJPEG or PNG stream:
// only its first picture carries one) are timed at 25 pictures a second, the
// rate other players assume for them, so that they play in real time instead
// of all at once. A single picture keeps its own time and stays a still.
#include <gst/gst.h>

namespace mova {

constexpr GstClockTime UntimedPictureInterval = GST_SECOND / 25;

// Times the untimed pictures that leave `pad` from now on: each follows the
// one before it by UntimedPictureInterval, the first after a seek starts at
// the new segment's start. Pictures that carry a time pass unchanged.
void TimeUntimedPictures(GstPad* pad);

}  // namespace mova
