#pragma once
// Cueing a pipeline: bringing it to paused on its first picture, within a
// time limit, and telling a whole render from a partial one.
#include <gst/gst.h>

#include <chrono>

namespace mova {

struct TCueResult {
  bool Cued = false;   // paused on the first picture, every stream decodable
  bool Ended = false;  // the stream ended while it was cued (a still picture)
  // It failed because a stream stopped with nothing linked to it yet.
  bool Unlinked = false;
};

// Sets `pipeline` to paused and reads `bus` until the cue is done. Fails on
// any error, on a stream that no decoder takes (GStreamer's missing-plugin
// message, even one that comes once the others are cued), and when the cue
// takes longer than `timeout`. Errors of `spare` (a subtitle file's parser,
// which then ends its stream) do not count.
TCueResult CuePipeline(GstElement* pipeline, GstBus* bus, std::chrono::milliseconds timeout,
                       GstElement* spare = nullptr);

// Whether `message` comes from `element` or from inside it.
bool IsFrom(GstMessage* message, GstElement* element);

}  // namespace mova
