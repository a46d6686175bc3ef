#include "platform/gstreamer/GstElementList.h"

#include "platform/gstreamer/ElementSettings.h"

#include <algorithm>
#include <string>

#include "platform/gstreamer/GstHandles.h"

namespace mova {

namespace {

constexpr size_t MaxNameChars = 128;

std::string CutName(const char* name) {
  std::string text = name != nullptr ? name : "";
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (startsCharacter && ++chars > MaxNameChars) return text.substr(0, i);
  }
  return text;
}

// The children of `bin` in the order they were added. GstBin keeps its
// newest child first, so the iterator's order is reversed.
std::vector<gsthandles::ElementPtr> Children(GstBin* bin) {
  std::vector<gsthandles::ElementPtr> children;
  GstIterator* iterator = gst_bin_iterate_elements(bin);
  GValue item = G_VALUE_INIT;
  bool done = false;
  while (!done) {
    switch (gst_iterator_next(iterator, &item)) {
      case GST_ITERATOR_OK:
        children.emplace_back(GST_ELEMENT(g_value_dup_object(&item)));
        g_value_reset(&item);
        break;
      case GST_ITERATOR_RESYNC:
        children.clear();
        gst_iterator_resync(iterator);
        break;
      case GST_ITERATOR_ERROR:
      case GST_ITERATOR_DONE:
        done = true;
        break;
    }
  }
  g_value_unset(&item);
  gst_iterator_free(iterator);
  std::reverse(children.begin(), children.end());
  return children;
}

void Collect(GstBin* bin, std::vector<TFilterInfo>& filters) {
  for (const gsthandles::ElementPtr& child : Children(bin)) {
    gsthandles::CharPtr name(gst_element_get_name(child.get()));
    filters.push_back(TFilterInfo{CutName(name.get()), HasUserSettings(child.get())});
    if (GST_IS_BIN(child.get())) Collect(GST_BIN(child.get()), filters);
  }
}

}  // namespace

bool HasUserSettings(GstElement* element) { return ElementHasSettings(element); }

std::vector<TFilterInfo> ListElements(GstBin* bin) {
  std::vector<TFilterInfo> filters;
  if (bin != nullptr) Collect(bin, filters);
  return filters;
}

}  // namespace mova
