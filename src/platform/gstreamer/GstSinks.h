#pragma once
// The two ends of a graph's pipeline: the sound output and the sink that
// hands the decoded pictures to the video window.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace mova {

// The sound output, which keeps the pipeline's clock: the system's output
// (a fake sink of its own when no device opens), or a fake sink when
// `silent`. Floating; nullptr when none can be made.
GstElement* MakeAudioSink(bool silent);

// The picture sink: I420 or BGRx pictures, one waiting at most (a late one is
// replaced, not queued), no last picture kept; `callbacks` get `self`.
// Floating; nullptr when none can be made.
GstElement* MakeAppSink(GstAppSinkCallbacks* callbacks, gpointer self);

}  // namespace mova
