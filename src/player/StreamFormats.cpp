#include "player/StreamFormats.h"

#include "framework/LittleEndian.h"

namespace mova {

void FillFormatRecords(const TStreamFacts& facts, int32_t width, int32_t height, std::array<uint8_t, 14>& audio,
                       std::array<uint8_t, 40>& video) {
  audio.fill(0);
  video.fill(0);
  if (facts.AudioTag != 0 || facts.SamplesPerSecond != 0) {
    WriteLe16(&audio[0], facts.AudioTag);
    WriteLe16(&audio[2], facts.Channels);
    WriteLe32(&audio[4], facts.SamplesPerSecond);
    WriteLe32(&audio[8], facts.BytesPerSecond);
  }
  if (!facts.VideoCode.empty()) {
    WriteLe32(&video[0], static_cast<uint32_t>(video.size()));
    WriteLe32(&video[4], static_cast<uint32_t>(width));
    WriteLe32(&video[8], static_cast<uint32_t>(height));
    WriteLe16(&video[12], 1);  // planes
    // At most four characters; a shorter code is padded with spaces as the
    // registered codes are ("dvsd", "DIV3", "FLV1"), never cut to a NUL.
    for (size_t i = 0; i < 4; ++i)
      video[16 + i] = static_cast<uint8_t>(i < facts.VideoCode.size() ? facts.VideoCode[i] : ' ');
  }
}

double PixelAspectOf(const TStreamFacts& facts) {
  if (facts.PixelWidth <= 0 || facts.PixelHeight <= 0) return 0.0;
  return static_cast<double>(facts.PixelHeight) / facts.PixelWidth;
}

}  // namespace mova
