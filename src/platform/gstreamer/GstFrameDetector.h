#pragma once
// The media detector on GStreamer: a pipeline of its own on the media file
// that decodes one frame, apart from the player's pipeline.
#include "player/FrameDetector.h"

namespace mova {

class TGstFrameDetector final : public IFrameDetector {
 public:
  // `stepTimeoutMs` bounds each wait (opening and cueing the file, seeking);
  // GStreamer is initialised here when nobody did so before.
  explicit TGstFrameDetector(int stepTimeoutMs = 5000);
  TGstFrameDetector(const TGstFrameDetector&) = delete;
  TGstFrameDetector& operator=(const TGstFrameDetector&) = delete;

  bool DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                   TRgbImage& frame) override;

 private:
  int StepTimeoutMs;
};

}  // namespace mova
