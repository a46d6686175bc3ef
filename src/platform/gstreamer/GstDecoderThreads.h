#pragma once
// How many threads each video decoder of a pipeline may use: pictures up to
// 1080p at 30 frames a second are decoded on one thread, larger or faster
// streams keep the decoder's own choice.
#include <gst/gst.h>

namespace mova {

// Watches every element added anywhere in `pipeline` from now on and sets the
// thread limit of each video decoder that has one, once its stream's format
// is known.
void LimitDecoderThreads(GstElement* pipeline);

}  // namespace mova
