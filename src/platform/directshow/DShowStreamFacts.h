#pragma once
// What a rendered DirectShow graph's streams say of themselves: each
// renderer's stream followed back to the splitter, where its stored format is.
#include <windows.h>
#include <dshow.h>

#include "player/MediaGraph.h"

namespace mova::dshow {

// The sound facts from the format nearest the splitter on the sound
// renderer's way; the picture's code from the same on the video renderer's
// way, and its pixel shape from the VIDEOINFOHEADER2 picture aspect nearest
// the renderer. Facts no media type states stay unknown.
TStreamFacts ReadStreamFacts(IFilterGraph* graph);

}  // namespace mova::dshow
