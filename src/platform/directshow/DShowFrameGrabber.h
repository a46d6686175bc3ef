#pragma once
// Decodes one picture of a file's first video stream on a graph of its own:
// the file's source and decoders feed a sample grabber that asks for 24-bit
// RGB, and a null renderer behind it holds the cued frame.
#include <chrono>
#include <string>

#include "player/BitmapWriter.h"

namespace mova::dshow {

// The frame shown at `seconds` (at or past the end: the last frame), scaled
// to exactly width × height into `frame`. False when the file has no video
// that can be decoded or the frame is not there by `deadline`.
bool GrabFrame(const std::wstring& fileName, double seconds, int32_t width, int32_t height,
               std::chrono::steady_clock::time_point deadline, TRgbImage& frame);

}  // namespace mova::dshow
