#pragma once
// Reads .bmp files back for the tests, independently of the writer, and
// gives each test a scratch folder of its own.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/GeneratedMedia.h"

namespace mova::test {

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t LittleU32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
inline uint16_t LittleU16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// The fields of a 24-bit bitmap file and its pixels, top row first, RGB.
struct TReadBitmap {
  bool Ok = false;
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t BitCount = 0;
  uint32_t Compression = 0;
  std::vector<uint8_t> Rgb;

  const uint8_t* At(int32_t x, int32_t y) const { return Rgb.data() + (static_cast<size_t>(y) * Width + x) * 3; }
};

inline TReadBitmap ParseBitmap(const std::vector<uint8_t>& b) {
  TReadBitmap bmp;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || LittleU32(b, 2) != b.size()) return bmp;
  const uint32_t offset = LittleU32(b, 10);
  bmp.Width = static_cast<int32_t>(LittleU32(b, 18));
  bmp.Height = static_cast<int32_t>(LittleU32(b, 22));
  bmp.BitCount = LittleU16(b, 28);
  bmp.Compression = LittleU32(b, 30);
  if (bmp.Width <= 0 || bmp.Height <= 0 || bmp.BitCount != 24) return bmp;
  const size_t stride = (static_cast<size_t>(bmp.Width) * 3 + 3) / 4 * 4;
  if (offset + stride * bmp.Height != b.size()) return bmp;
  for (int32_t y = 0; y < bmp.Height; ++y) {
    const uint8_t* row = b.data() + offset + stride * (bmp.Height - 1 - y);  // bottom-up
    for (int32_t x = 0; x < bmp.Width; ++x) {
      bmp.Rgb.insert(bmp.Rgb.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
  }
  bmp.Ok = true;
  return bmp;
}

inline TReadBitmap ReadBitmapFile(const std::string& path) { return ParseBitmap(ReadBytes(path)); }

// A fresh, empty folder, removed with everything in it at the end.
class TScratchFolder {
 public:
  TScratchFolder() {
    Path = (std::filesystem::temp_directory_path() / ("mova-capture-" + UniqueToken())).string();
    std::filesystem::create_directories(Path);
  }
  ~TScratchFolder() {
    std::error_code ec;
    if (!Path.empty()) std::filesystem::remove_all(Path, ec);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string operator/(const std::string& name) const { return Path + "/" + name; }
  // Names of everything in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string Path;
};

}  // namespace mova::test
