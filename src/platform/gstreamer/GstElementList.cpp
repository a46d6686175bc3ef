#include "platform/gstreamer/GstElementList.h"

#include "platform/gstreamer/ElementSettings.h"
#include "platform/gstreamer/ElementSettingsLookup.h"

namespace mova {

// The menu and the settings lookup walk the same order and cut names the same
// way, so an entry of the menu always opens the element it names.
bool HasUserSettings(GstElement* element) { return ElementHasSettings(element); }

std::vector<TFilterInfo> ListElements(GstBin* bin) {
  std::vector<TFilterInfo> filters;
  if (bin == nullptr) return filters;
  for (const gsthandles::ElementPtr& element : ElementsInMenuOrder(GST_ELEMENT(bin))) {
    filters.push_back(TFilterInfo{ElementMenuName(element.get()), ElementHasSettings(element.get())});
  }
  return filters;
}

}  // namespace mova
