#pragma once
// The program's own Windows bitmap writer: the captured frame is saved as an
// uncompressed 24-bit .bmp that every image viewer reads.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"

namespace mova {

// A decoded picture in memory: `Height` rows of `Width` pixels, the TOP row
// first, each pixel three bytes in the order red, green, blue, rows packed
// without padding (Pixels.size() == Width * Height * 3).
struct TRgbImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Pixels;
};

// Sizes of the two headers that precede the pixels.
constexpr uint32_t BitmapFileHeaderSize = 14;
constexpr uint32_t BitmapInfoHeaderSize = 40;

// Bytes of one stored row of a 24-bit bitmap: 3 per pixel, padded to 4; 0
// for a width below 1. Counted in 64 bits: a row of more than 1 431 655 764
// pixels needs more than 32.
uint64_t BitmapRowStride(int32_t width);

// True when a width × height picture can be stored: both sides positive and
// the whole file no larger than 2^31 - 1 bytes (some readers take the size
// fields as signed).
bool BitmapSizeValid(int32_t width, int32_t height);

// The complete file contents: BITMAPFILEHEADER, BITMAPINFOHEADER (24 bits,
// uncompressed, positive height, so rows run bottom-up) and the rows, each
// pixel stored blue, green, red, each row padded with zeros to 4 bytes. Empty
// when the image's size is not valid or its pixel buffer does not match it.
std::vector<uint8_t> EncodeBitmap(const TRgbImage& image);

// Writes EncodeBitmap(image) to `fileName`, used exactly as given (no
// extension is added), through the system's atomic write: the file appears
// only when complete. False on any failure, and then `fileName` is as it was
// before the call (missing, or an existing file unchanged) and no temporary
// file is left behind.
bool WriteBitmapFile(IOperatingSystem& system, const std::string& fileName, const TRgbImage& image);

}  // namespace mova
