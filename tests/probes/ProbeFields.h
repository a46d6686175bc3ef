#pragma once
// Reads little-endian fields out of the header bytes the probes fill.
#include <array>
#include <cstdint>
#include <string>

namespace mova::test {

template <size_t N>
uint32_t U32At(const std::array<uint8_t, N>& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes.at(offset)) | static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
         static_cast<uint32_t>(bytes.at(offset + 2)) << 16 | static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

template <size_t N>
uint16_t U16At(const std::array<uint8_t, N>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

template <size_t N>
std::string TextAt(const std::array<uint8_t, N>& bytes, size_t offset, size_t count) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, count);
}

template <size_t N>
bool AllZero(const std::array<uint8_t, N>& bytes) {
  for (uint8_t b : bytes)
    if (b != 0) return false;
  return true;
}

}  // namespace mova::test
