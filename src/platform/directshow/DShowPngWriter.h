#pragma once
// PNG files of pictures through the Windows Imaging Component, part of the
// system since Windows XP SP3 (COM must be initialised on the thread).
#include <cstdint>
#include <vector>

#include "player/BitmapWriter.h"

namespace mova::dshow {

bool EncodePngWithWic(const TRgbImage& picture, std::vector<uint8_t>& bytes);

}  // namespace mova::dshow
