#pragma once
// The filters of a graph as the filter menu lists them, and their property
// pages in the platform's property frame.
#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "player/MediaGraph.h"

namespace mova::dshow {

// The graph's filters in its enumeration order, each with its name (ANSI, at
// most 128 characters) and whether it offers at least one property page.
std::vector<TFilterInfo> ListFilters(IFilterGraph* graph);

// Opens the property frame of the first filter, in enumeration order, whose
// name equals `name` and that has pages: modal, owned by `owner`, captioned
// with the name. Returns when the user has closed it; nothing happens when
// no filter matches.
void ShowFilterPages(IFilterGraph* graph, const std::string& name, HWND owner);

// Enables the next sound stream of the first splitter that offers a choice
// (IAMStreamSelect), in turn; false when no filter offers one.
bool SelectNextSoundStream(IFilterGraph* graph);

}  // namespace mova::dshow
