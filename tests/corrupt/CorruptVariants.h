#pragma once
// Broken variants of a clean media file, made the same on every run: cut at
// many points, bytes flipped at random (seeded) in and after the headers,
// header size fields set to 0, to -1 and to 2^31, chunks repeated, and the
// wrong extension.
#include <cstddef>
#include <string>
#include <vector>

namespace mova::test {

struct Variant {
  std::string Name;       // what was done, e.g. "cut-512", "flip-head-7"
  std::string Extension;  // with the dot
  std::string Bytes;
};

// The variants of `clean`, a file of container `extension` (".avi", ".mp4", ...).
// `flipSeeds` seeded flip variants are made in the headers and as many after them.
std::vector<Variant> MakeVariants(const std::string& clean, const std::string& extension, int flipSeeds);

// The offsets of the size fields in the file's first structures: RIFF chunk
// sizes (little-endian) for ".avi" and ".wav", box sizes (big-endian) for
// ".mp4", and the first 32-bit words after the signature for the others.
std::vector<size_t> SizeFieldOffsets(const std::string& bytes, const std::string& extension);

}  // namespace mova::test
