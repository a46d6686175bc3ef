// Arbitrary picture sizes and pixels for the bitmap writer: the row stride and
// the size check must hold for every width and height, and a picture that is
// written must come out as the format lays it down, in memory and on "disk"
// (the in-memory system).
//
// Input: width (4 bytes, little-endian), height (4), a mode byte, then pixels.
// Mode bit 0 folds the sizes to -64..64 so that pictures are written often;
// bit 1 makes the pixels exactly as many as the size needs.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "framework/LittleEndian.h"
#include "player/BitmapWriter.h"
#include "support/MemorySystem.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) { return mova::ReadLe32(bytes.data() + at); }

// Whether a width x height file fits the size fields, worked out in 128 bits.
bool Storable(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return false;
  const unsigned __int128 stride = (static_cast<unsigned __int128>(width) * 3 + 3) / 4 * 4;
  return 54 + stride * static_cast<unsigned __int128>(height) <= std::numeric_limits<int32_t>::max();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  int32_t width = static_cast<int32_t>(mova::ReadLe32(data));
  int32_t height = static_cast<int32_t>(mova::ReadLe32(data + 4));
  const uint8_t mode = data[8];
  data += 9;
  size -= 9;

  const uint64_t stride = mova::BitmapRowStride(width);
  const uint64_t rowBytes = width > 0 ? static_cast<uint64_t>(width) * 3 : 0;
  if (stride % 4 != 0 || stride < rowBytes || stride >= rowBytes + 4 || (width <= 0 && stride != 0)) __builtin_trap();
  if (mova::BitmapSizeValid(width, height) != Storable(width, height)) __builtin_trap();

  if (mode & 1) {
    width %= 65;
    height %= 65;
  }
  mova::TRgbImage image{width, height, std::vector<uint8_t>(data, data + size)};
  const bool small = width > 0 && height > 0 && static_cast<int64_t>(width) * height <= 4096;
  if ((mode & 2) && small) image.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, mode);

  const std::vector<uint8_t> bytes = mova::EncodeBitmap(image);
  const bool matches = Storable(width, height) &&
                       image.Pixels.size() == static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
  if (bytes.empty() == matches) __builtin_trap();  // every storable picture with its pixels is written, nothing else
  if (!matches) return 0;

  // The headers, then the rows bottom-up, blue-green-red, padded with zeros.
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(height);
  const size_t pitch = (w * 3 + 3) / 4 * 4;
  if (bytes.size() != 54 + pitch * h || bytes[0] != 'B' || bytes[1] != 'M' || Le32(bytes, 2) != bytes.size() ||
      Le32(bytes, 10) != 54 || Le32(bytes, 14) != 40 || Le32(bytes, 18) != w || Le32(bytes, 22) != h ||
      Le32(bytes, 26) != (24u << 16 | 1u) || Le32(bytes, 30) != 0 || Le32(bytes, 34) != pitch * h) {
    __builtin_trap();
  }
  for (size_t y = 0; y < h; ++y) {
    const uint8_t* row = bytes.data() + 54 + (h - 1 - y) * pitch;
    const uint8_t* pixel = image.Pixels.data() + y * w * 3;
    for (size_t x = 0; x < w; ++x) {
      if (row[x * 3] != pixel[x * 3 + 2] || row[x * 3 + 1] != pixel[x * 3 + 1] || row[x * 3 + 2] != pixel[x * 3])
        __builtin_trap();
    }
    for (size_t pad = w * 3; pad < pitch; ++pad) {
      if (row[pad] != 0) __builtin_trap();
    }
  }

  static mova::test::TMemorySystem system;
  system.Files.clear();
  if (!mova::WriteBitmapFile(system, "frame.bmp", image)) __builtin_trap();
  if (system.Files["frame.bmp"] != std::string(bytes.begin(), bytes.end())) __builtin_trap();
  return 0;
}
