#pragma once
// An element made for the settings tests: one property of every width and
// kind GObject offers, plus the kinds that are not settings, with fixed names
// and ranges that no plugin update can change.
#include <gst/gst.h>

namespace mova::test {

// Registers the type on first use; gst_init must have run.
GType SettingsTestElementType();

// A new floating element of that type named `name`.
GstElement* NewSettingsTestElement(const char* name);

}  // namespace mova::test
