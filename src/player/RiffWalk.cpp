#include "player/RiffWalk.h"

#include "framework/LittleEndian.h"

namespace mova {

namespace {

constexpr FourCC kRiff = ToFourCC("RIFF");
constexpr FourCC kList = ToFourCC("LIST");

}  // namespace

bool FindChunk(ByteReader& file, const FourCC& name, int64_t& size) {
  while (file.Position() < file.Size()) {
    uint8_t header[8];
    if (!file.ReadExact(header, sizeof header)) return false;
    const FourCC id{static_cast<char>(header[0]), static_cast<char>(header[1]), static_cast<char>(header[2]),
                    static_cast<char>(header[3])};
    // Read unsigned: a size of 2^31 or more is a (possibly bogus) large
    // chunk, never a step backwards that would revisit the same header.
    size = ReadLe32(header + 4);

    if (id == kRiff || id == kList) {
      uint8_t formType[4];  // not needed to find a chunk, but part of the header
      if (!file.ReadExact(formType, sizeof formType)) return false;
      if (id == name) return true;
      continue;  // the next header read is the first sub-chunk's
    }
    // A file that does not start with a RIFF or LIST chunk is no RIFF file.
    if (name == kRiff) return false;
    if (size % 2 != 0) ++size;  // the pad byte after odd-sized data
    if (id == name) return file.Seek(file.Position() - 8);
    if (!file.Seek(file.Position() + size)) return false;
  }
  return false;
}

}  // namespace mova
