#include "player/BitmapWriter.h"

#include <limits>

namespace mova {

namespace {

constexpr uint32_t HeadersSize = BitmapFileHeaderSize + BitmapInfoHeaderSize;

// The headers' fields are little-endian whatever the machine's byte order.
void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

void PutS32(std::vector<uint8_t>& out, int32_t value) { PutU32(out, static_cast<uint32_t>(value)); }

}  // namespace

uint64_t BitmapRowStride(int32_t width) {
  if (width <= 0) return 0;
  return (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
}

bool BitmapSizeValid(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return false;
  // Neither factor exceeds 2^33, so the product cannot wrap.
  const uint64_t total = uint64_t{HeadersSize} + BitmapRowStride(width) * static_cast<uint64_t>(height);
  return total <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
}

std::vector<uint8_t> EncodeBitmap(const TRgbImage& image) {
  if (!BitmapSizeValid(image.Width, image.Height)) return {};
  const size_t width = static_cast<size_t>(image.Width);
  const size_t height = static_cast<size_t>(image.Height);
  if (image.Pixels.size() != width * height * 3) return {};

  // Both fit in 32 bits once the size is valid.
  const size_t stride = static_cast<size_t>(BitmapRowStride(image.Width));
  const uint32_t imageSize = static_cast<uint32_t>(stride * height);
  std::vector<uint8_t> out;
  out.reserve(HeadersSize + imageSize);

  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  PutU32(out, HeadersSize + imageSize);  // bfSize
  PutU16(out, 0);                        // bfReserved1
  PutU16(out, 0);                        // bfReserved2
  PutU32(out, HeadersSize);              // bfOffBits
  // BITMAPINFOHEADER
  PutU32(out, BitmapInfoHeaderSize);  // biSize
  PutS32(out, image.Width);           // biWidth
  PutS32(out, image.Height);          // biHeight: positive, so the first stored row is the bottom one
  PutU16(out, 1);                     // biPlanes
  PutU16(out, 24);                    // biBitCount
  PutU32(out, 0);                     // biCompression: BI_RGB
  PutU32(out, imageSize);             // biSizeImage
  PutS32(out, 0);                     // biXPelsPerMeter: unknown
  PutS32(out, 0);                     // biYPelsPerMeter: unknown
  PutU32(out, 0);                     // biClrUsed
  PutU32(out, 0);                     // biClrImportant

  const size_t padding = stride - width * 3;
  for (size_t row = height; row-- > 0;) {
    const uint8_t* pixel = image.Pixels.data() + row * width * 3;
    for (size_t x = 0; x < width; ++x, pixel += 3) {
      out.push_back(pixel[2]);
      out.push_back(pixel[1]);
      out.push_back(pixel[0]);
    }
    out.insert(out.end(), padding, 0);
  }
  return out;
}

bool WriteBitmapFile(IOperatingSystem& system, const std::string& fileName, const TRgbImage& image) {
  if (fileName.empty()) return false;
  const std::vector<uint8_t> bytes = EncodeBitmap(image);
  if (bytes.empty()) return false;
  return system.WriteFileAtomically(fileName, bytes) == 0;
}

}  // namespace mova
