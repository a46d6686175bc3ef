#pragma once
// The format records of a file without AVI headers, filled from what the
// graph's decoded streams say of themselves, as the headers would hold them.
#include <array>
#include <cstdint>

#include "player/MediaGraph.h"

namespace mova {

// The sound record is a WAVEFORMATEX's first 14 bytes (tag, channels, samples
// per second, bytes per second, block alignment); the picture record a
// BITMAPINFOHEADER (its size, width, height and the compression code at 16).
// Facts that are unknown stay 0, so a file whose streams tell nothing keeps
// all-zero records.
void FillFormatRecords(const TStreamFacts& facts, int32_t width, int32_t height, std::array<uint8_t, 14>& audio,
                       std::array<uint8_t, 40>& video);

// The factor the shown width is divided by for a pixel of the stated shape
// (0.6875 for 16:11); 0 when the facts state no usable shape.
double PixelAspectOf(const TStreamFacts& facts);

}  // namespace mova
