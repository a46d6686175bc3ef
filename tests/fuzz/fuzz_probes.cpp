// Feeds arbitrary bytes to the media header probes: they must never crash,
// hang or read outside the input.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "player/MediaProbes.h"
#include "player/MemoryReader.h"
#include "player/RiffWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Read in place, so a read past the end hits the fuzzer's own guard.
  mova::MemoryReader file(data, size);
  std::array<uint8_t, 64> aviHeader{};
  std::array<uint8_t, 40> videoFormat{};
  std::array<uint8_t, 14> audioFormat{};
  // A successful probe has read the main header from its chunk id on.
  if (mova::ProbeAvi(file, aviHeader, videoFormat, audioFormat) && std::memcmp(aviHeader.data(), "avih", 4) != 0)
    __builtin_trap();

  double pixelAspect = 0.0;
  int32_t width = -1;
  int32_t height = -1;
  mova::ProbeMpeg(file, pixelAspect, width, height);
  if (!(pixelAspect > 0.0 && std::isfinite(pixelAspect))) __builtin_trap();
  if (width < -1 || width > 4095 || height < -1 || height > 4095) __builtin_trap();

  // Walk the whole input once more, stepping over every "zzzz" chunk found
  // (an ordinary chunk is found with the position back at its id).
  if (file.Seek(0)) {
    int64_t chunkSize = 0;
    while (mova::FindChunk(file, mova::ToFourCC("zzzz"), chunkSize)) {
      if (chunkSize < 0) __builtin_trap();
      const int64_t before = file.Position();
      if (!file.Seek(before + 8 + chunkSize)) break;
    }
  }
  return 0;
}
