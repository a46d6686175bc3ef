#pragma once
// Walks the chunks of a RIFF file (AVI, WAV) to find one by its four-character code.
#include <array>
#include <cstdint>
#include <string_view>

#include "player/ByteReader.h"

namespace mova {

// A four-character code as its four bytes are stored in the file; compared
// exactly, so case matters.
using FourCC = std::array<char, 4>;

// The code of a name of up to four characters; shorter names are padded with
// spaces, as RIFF writers do ("AVI ").
constexpr FourCC ToFourCC(std::string_view name) {
  FourCC code{' ', ' ', ' ', ' '};
  for (size_t i = 0; i < code.size() && i < name.size(); ++i) code[i] = name[i];
  return code;
}

// Walks from the current position, descending into every "RIFF" and "LIST"
// chunk, until it meets a chunk with code `name`.
// - For a "RIFF" or "LIST" chunk: true with the position just after its form
//   type and `size` the size as stored.
// - For an ordinary chunk: true with the position back at the chunk's id and
//   `size` its data size plus the pad byte that follows odd-sized data.
// - Looking for "RIFF", an ordinary chunk met first ends the walk with false.
// False at the end of the file or on any read or positioning error; the
// position is then wherever the walk stopped. Sizes are unsigned 32-bit, so
// every step moves forward and the walk always ends.
bool FindChunk(ByteReader& file, const FourCC& name, int64_t& size);

}  // namespace mova
