#pragma once
// Builds RIFF files byte by byte for the tests of the chunk walk, the AVI probe and the player.
#include <cstdint>
#include <string>

namespace mova::test {

inline std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

inline std::string Le16(uint16_t value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

// An ordinary chunk: id, size, data and the pad byte after odd-sized data.
inline std::string Chunk(const std::string& id, const std::string& data) {
  std::string bytes = id + Le32(static_cast<uint32_t>(data.size())) + data;
  if (data.size() % 2 != 0) bytes += '\0';
  return bytes;
}

// A "RIFF" or "LIST" chunk holding `body`.
inline std::string List(const std::string& id, const std::string& type, const std::string& body) {
  return id + Le32(static_cast<uint32_t>(4 + body.size())) + type + body;
}

// A chunk header claiming `size` bytes of data, with none following.
inline std::string ChunkHeader(const std::string& id, uint32_t size) { return id + Le32(size); }

}  // namespace mova::test
