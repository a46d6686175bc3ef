#pragma once
// Numbers the harnesses take from their input, least significant byte first.
#include <cstdint>

namespace mova::fuzz {

inline uint32_t LittleEndian(const uint8_t* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace mova::fuzz
