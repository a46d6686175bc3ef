#include "platform/directshow/DShowFrameConvert.h"

#include <cstdint>

#include "framework/LittleEndian.h"

namespace mova::dshow {

namespace {

// Rows of this many pixels still have a byte count that fits in size_t.
bool WidthFits(int32_t width) { return static_cast<uint64_t>(width) * 4 + 3 <= SIZE_MAX; }

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at) { return ReadLe32(&bytes[at]); }
uint16_t Read16(const std::vector<uint8_t>& bytes, size_t at) { return ReadLe16(&bytes[at]); }

}  // namespace

size_t TBgrPicture::Stride() const {
  return (static_cast<size_t>(Width) * static_cast<size_t>(BytesPerPixel) + 3) & ~static_cast<size_t>(3);
}

bool ScaleToRgb(const TBgrPicture& picture, int32_t width, int32_t height, TRgbImage& image) {
  if (width <= 0 || height <= 0 || picture.Width <= 0 || picture.Height <= 0 || picture.Bits == nullptr) return false;
  if (picture.BytesPerPixel != 3 && picture.BytesPerPixel != 4) return false;
  if (!WidthFits(picture.Width) || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3 > SIZE_MAX / 2) {
    return false;
  }
  const size_t stride = picture.Stride();
  if (picture.Size / stride < static_cast<size_t>(picture.Height)) return false;

  image.Width = width;
  image.Height = height;
  image.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  uint8_t* out = image.Pixels.data();
  for (int32_t y = 0; y < height; ++y) {
    // The source row under the centre of target row y, counted from the top.
    const int64_t fromTop = (2 * static_cast<int64_t>(y) + 1) * picture.Height / (2 * static_cast<int64_t>(height));
    const int64_t stored = picture.BottomUp ? picture.Height - 1 - fromTop : fromTop;
    const uint8_t* row = picture.Bits + static_cast<size_t>(stored) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const int64_t column = (2 * static_cast<int64_t>(x) + 1) * picture.Width / (2 * static_cast<int64_t>(width));
      const uint8_t* pixel = row + static_cast<size_t>(column) * static_cast<size_t>(picture.BytesPerPixel);
      *out++ = pixel[2];
      *out++ = pixel[1];
      *out++ = pixel[0];
    }
  }
  return true;
}

bool ReadBitmapPicture(const std::vector<uint8_t>& file, TBgrPicture& picture) {
  constexpr size_t headers = BitmapFileHeaderSize + BitmapInfoHeaderSize;
  if (file.size() < headers || file[0] != 'B' || file[1] != 'M') return false;
  const uint32_t pixelsAt = Read32(file, 10);
  const uint32_t infoSize = Read32(file, 14);
  const auto width = static_cast<int32_t>(Read32(file, 18));
  const auto height = static_cast<int32_t>(Read32(file, 22));
  const uint16_t bits = Read16(file, 28);
  const uint32_t compression = Read32(file, 30);
  constexpr uint32_t rgb = 0;        // BI_RGB
  constexpr uint32_t bitfields = 3;  // BI_BITFIELDS, standard masks for 32 bits
  if (infoSize < BitmapInfoHeaderSize || (bits != 24 && bits != 32)) return false;
  if (compression != rgb && !(bits == 32 && compression == bitfields)) return false;
  if (width <= 0 || !WidthFits(width) || height == 0 || height == INT32_MIN || pixelsAt < headers || pixelsAt > file.size()) return false;

  picture.Bits = file.data() + pixelsAt;
  picture.Size = file.size() - pixelsAt;
  picture.Width = width;
  picture.Height = height > 0 ? height : -height;
  picture.BytesPerPixel = bits / 8;
  picture.BottomUp = height > 0;
  return picture.Size / picture.Stride() >= static_cast<size_t>(picture.Height);
}

}  // namespace mova::dshow
