#include "player/MediaProbes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "player/RiffWalk.h"

namespace mova {

const std::array<double, 15> AspectTable = {
    1.0,    1.0,    0.6735, 0.7031, 0.7615, 0.8055, 0.8437, 0.8935,
    0.9815, 0.9152542372881356, 1.0255, 1.0695, 1.1,    1.1575, 1.2015,
};

namespace {

// Reads the whole field or leaves it as it was, so a field never holds a
// mixture of header bytes and zeros.
template <size_t N>
bool ReadField(ByteReader& file, std::array<uint8_t, N>& field) {
  std::array<uint8_t, N> bytes;
  if (!file.ReadExact(bytes.data(), bytes.size())) return false;
  field = bytes;
  return true;
}

// Finds the next "strf" chunk and reads the head of its data into `field`.
template <size_t N>
bool ReadStreamFormat(ByteReader& file, std::array<uint8_t, N>& field) {
  int64_t size = 0;
  if (!FindChunk(file, ToFourCC("strf"), size)) return false;
  if (!file.Seek(file.Position() + 8)) return false;  // past the chunk's id and size
  return ReadField(file, field);
}

constexpr uint8_t kSequenceHeader[4] = {0x00, 0x00, 0x01, 0xB3};
constexpr size_t kBlockSize = 8192;
constexpr int64_t kScanLimit = 0x100000;

// MPEG-2 video puts a sequence extension (extension start code with id 1)
// right after the sequence header and its optional quantiser matrices. The
// matrices never hold two zero bytes in a row, so the first start code prefix
// after the header's fixed 8 bytes is the next start code.
bool SequenceExtensionFollows(ByteReader& file, int64_t headerEnd) {
  // 8 header bytes, 128 bytes of matrices at most, then 5 of the extension.
  constexpr size_t kWindow = 8 + 128 + 8;
  if (!file.Seek(headerEnd)) return false;
  std::array<uint8_t, kWindow> bytes{};
  const size_t n = file.ReadSome(bytes.data(), bytes.size());
  for (size_t i = 8; i + 4 < n; ++i) {
    if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1)
      return bytes[i + 3] == 0xB5 && (bytes[i + 4] >> 4) == 1;
  }
  return false;
}

// In MPEG-2 the aspect code gives the display aspect ratio of the whole
// picture, so the pixel aspect follows from the picture's size.
double PixelAspectFromDisplayAspect(int aspectCode, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return 1.0;
  switch (aspectCode) {
    case 2: return (width * 3.0) / (height * 4.0);
    case 3: return (width * 9.0) / (height * 16.0);
    case 4: return (width * 100.0) / (height * 221.0);
    default: return 1.0;  // 1 = square samples; the rest are reserved
  }
}

}  // namespace

bool ProbeAvi(ByteReader& file, std::array<uint8_t, 64>& aviHeader, std::array<uint8_t, 40>& videoFormat,
              std::array<uint8_t, 14>& audioFormat) {
  aviHeader.fill(0);
  videoFormat.fill(0);
  audioFormat.fill(0);
  int64_t size = 0;
  if (!FindChunk(file, ToFourCC("RIFF"), size)) return false;
  // The main header is kept with its chunk id and size in front.
  if (!FindChunk(file, ToFourCC("avih"), size) || !ReadField(file, aviHeader)) return false;
  // Stream types are not checked: the first format is taken as the video's,
  // the second as the audio's. The second walk starts right after the first
  // 40 bytes, wherever that is inside the first format chunk.
  if (!ReadStreamFormat(file, videoFormat)) return false;
  return ReadStreamFormat(file, audioFormat);
}

void ProbeMpeg(ByteReader& file, double& pixelAspect, int32_t& sequenceWidth, int32_t& sequenceHeight) {
  int aspectCode = 0;
  bool found = false;
  int64_t headerEnd = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> buffer(kBlockSize);
  bool positioned = file.Seek(0);
  while (positioned) {
    std::fill(buffer.begin(), buffer.end(), 0);
    const int64_t blockStart = file.Position();
    const size_t n = std::min(file.ReadSome(buffer.data(), buffer.size()), buffer.size());
    // Only the bytes read are searched: whatever lies behind them in the
    // buffer is no part of the file.
    const auto read = buffer.begin() + static_cast<std::ptrdiff_t>(n);
    const auto at = std::search(buffer.begin(), read, std::begin(kSequenceHeader), std::end(kSequenceHeader));
    const size_t s = static_cast<size_t>(at - buffer.begin());
    // The four size and aspect bytes and two more must have been read.
    if (at != read && s + 9 < n) {
      const uint8_t* h = buffer.data() + s + 4;
      width = h[0] * 16 + (h[1] >> 4);
      height = (h[1] & 0x0F) * 256 + h[2];
      aspectCode = h[3] >> 4;
      headerEnd = blockStart + static_cast<int64_t>(s) + 4;
      found = true;
      break;
    }
    // A short read is the end of the file (or a read error): either way no
    // further block can be read, and stepping back would never get further.
    if (n < buffer.size() || file.Position() >= file.Size()) break;
    if (file.Position() > kScanLimit) break;
    // Overlap consecutive blocks so a start code split between them is found.
    positioned = file.Seek(file.Position() - 4);
  }

  if (found && SequenceExtensionFollows(file, headerEnd)) {
    pixelAspect = PixelAspectFromDisplayAspect(aspectCode, width, height);
  } else {
    pixelAspect = AspectTable[aspectCode > 14 ? 0 : aspectCode];
  }
  if (found) {
    sequenceWidth = width;
    sequenceHeight = height;
  }
}

}  // namespace mova
