#include "platform/gstreamer/ElementSettingsLookup.h"

#include <algorithm>

#include "platform/gstreamer/ElementSettings.h"

namespace mova {

namespace {

// GstBin keeps its newest child first; the menu lists them as they were added.
std::vector<gsthandles::ElementPtr> Children(GstBin* bin) {
  std::vector<gsthandles::ElementPtr> children;
  GstIterator* iterator = gst_bin_iterate_elements(bin);
  GValue item = G_VALUE_INIT;
  for (bool done = false; !done;) {
    switch (gst_iterator_next(iterator, &item)) {
      case GST_ITERATOR_OK:
        children.emplace_back(GST_ELEMENT(g_value_dup_object(&item)));
        g_value_reset(&item);
        break;
      case GST_ITERATOR_RESYNC:  // the bin changed meanwhile: start over
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

void Collect(GstBin* bin, std::vector<gsthandles::ElementPtr>& elements) {
  for (gsthandles::ElementPtr& child : Children(bin)) {
    GstElement* element = child.get();
    elements.push_back(std::move(child));
    if (GST_IS_BIN(element)) Collect(GST_BIN(element), elements);
  }
}

}  // namespace

std::string ElementMenuName(GstElement* element) {
  gsthandles::CharPtr owned(gst_element_get_name(element));
  const std::string name = owned ? owned.get() : "";
  size_t chars = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const bool startsCharacter = (static_cast<unsigned char>(name[i]) & 0xC0) != 0x80;
    if (startsCharacter && ++chars > MaxElementNameChars) return name.substr(0, i);
  }
  return name;
}

std::vector<gsthandles::ElementPtr> ElementsInMenuOrder(GstElement* bin) {
  std::vector<gsthandles::ElementPtr> elements;
  if (bin != nullptr && GST_IS_BIN(bin)) Collect(GST_BIN(bin), elements);
  return elements;
}

gsthandles::ElementPtr FindElementWithSettings(GstElement* bin, const std::string& name) {
  for (gsthandles::ElementPtr& element : ElementsInMenuOrder(bin)) {
    if (ElementMenuName(element.get()) == name && ElementHasSettings(element.get())) return std::move(element);
  }
  return nullptr;
}

}  // namespace mova
