#pragma once
// The filters of a GStreamer graph, as the filter menu lists them.
#include <gst/gst.h>

#include <vector>

#include "player/MediaGraph.h"

namespace mova {

// Every element inside `bin`, depth first: each element, then the elements
// inside it when it is a bin, children in the order they were added. The
// order is the same on every call while the pipeline does not change. Names
// are cut to 128 characters.
std::vector<TFilterInfo> ListElements(GstBin* bin);

// True when the element has a property a user can change: writable, not
// fixed at construction, and not one of the generic object and bin
// properties (name, parent, message forwarding...) that every element has.
bool HasUserSettings(GstElement* element);

}  // namespace mova
