#pragma once
// Pictures as DirectShow and the bitmap files of its media detector hold
// them (blue, green, red; rows padded to 4 bytes, usually bottom-up), turned
// into the program's top-down RGB images at any size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/BitmapWriter.h"

namespace mova::dshow {

// A view of packed BGR pixels, 3 or 4 bytes each.
struct TBgrPicture {
  const uint8_t* Bits = nullptr;
  size_t Size = 0;  // bytes at Bits
  int32_t Width = 0;
  int32_t Height = 0;  // rows, positive
  int32_t BytesPerPixel = 3;
  bool BottomUp = true;  // the first row in memory is the bottom one
  size_t Stride() const;  // bytes of one row, padded to 4
};

// Scales `picture` to exactly width × height (each target pixel takes the
// source pixel under its centre) into `image`. False when the picture's
// bytes do not hold its size or either size is not positive.
bool ScaleToRgb(const TBgrPicture& picture, int32_t width, int32_t height, TRgbImage& image);

// The pixels of an uncompressed 24- or 32-bit Windows bitmap file held in
// `file`; false when it is not one or its pixels are cut short.
bool ReadBitmapPicture(const std::vector<uint8_t>& file, TBgrPicture& picture);

}  // namespace mova::dshow
