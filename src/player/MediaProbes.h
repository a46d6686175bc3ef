#pragma once
// The program reads a few bytes of each media file itself: the AVI headers,
// or an MPEG video sequence header for the pixel aspect.
#include <array>
#include <cstdint>

#include "player/ByteReader.h"

namespace mova {

// Pixel aspect by the sequence header's 4-bit aspect code; codes above 14 use 0.
extern const std::array<double, 15> AspectTable;

// Reads the "avih" chunk (64 bytes from its id), the first 40 bytes of the
// first "strf" chunk and the first 14 of the second. True when all three were
// read; what was read before a failure stays in the outputs. Called with the
// position at 0.
bool ProbeAvi(ByteReader& file, std::array<uint8_t, 64>& aviHeader, std::array<uint8_t, 40>& videoFormat,
              std::array<uint8_t, 14>& audioFormat);

// Scans the start of the file (the first MiB and one block more) for a video
// sequence header. Always sets `pixelAspect`, the factor the video width is
// divided by for display: from `AspectTable` for MPEG-1, and from the display
// aspect and the picture size when a sequence extension marks MPEG-2; 1.0
// without a header. Sets the two sizes only when a header was found.
void ProbeMpeg(ByteReader& file, double& pixelAspect, int32_t& sequenceWidth, int32_t& sequenceHeight);

}  // namespace mova
