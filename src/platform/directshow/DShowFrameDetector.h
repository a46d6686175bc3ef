#pragma once
// Frame capture on DirectShow: the media detector finds the first video
// stream and writes the frame as a bitmap file, which is read back; where the
// detector cannot write bitmaps, a sample grabber decodes the frame instead.
#include <chrono>

#include "player/FrameDetector.h"

namespace mova {

struct TDShowDetectorOptions {
  // How long one capture may take, all of it.
  std::chrono::milliseconds Timeout{5000};
};

class TDShowFrameDetector final : public IFrameDetector {
 public:
  explicit TDShowFrameDetector(TDShowDetectorOptions options = {}) : Options(options) {}

  bool DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                   TRgbImage& frame) override;

 private:
  TDShowDetectorOptions Options;
};

}  // namespace mova
