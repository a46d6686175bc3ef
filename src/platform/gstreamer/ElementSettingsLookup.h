#pragma once
// Finding the element whose settings the filter menu's entry stands for.
#include <gst/gst.h>

#include <string>
#include <vector>

#include "platform/gstreamer/GstHandles.h"

namespace mova {

// The longest element name the filter menu shows; longer names are cut at
// this many characters, and the cut name is what a menu entry matches.
constexpr size_t MaxElementNameChars = 128;

// The element's name cut to MaxElementNameChars characters (UTF-8 code
// points, never inside one).
std::string ElementMenuName(GstElement* element);

// Every element inside `bin`, depth first: each element, then the elements
// inside it when it is a bin, children in the order they were added. This is
// the filter menu's order, the same on every call while the pipeline keeps
// its elements. Empty when `bin` is not a bin.
std::vector<gsthandles::ElementPtr> ElementsInMenuOrder(GstElement* bin);

// The first element in that order whose menu name equals `name` exactly
// (case-sensitive) and that has settings (ElementHasSettings); null when
// none does, so an element of the same name without settings is passed over.
gsthandles::ElementPtr FindElementWithSettings(GstElement* bin, const std::string& name);

}  // namespace mova
