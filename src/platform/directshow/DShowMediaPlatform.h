#pragma once
// Creates DirectShow graphs and frame detectors. COM must be initialised on
// the window thread, by the caller, before the first graph is created.
#include "platform/directshow/DShowFrameDetector.h"
#include "platform/directshow/DShowGraph.h"
#include "player/MediaGraph.h"

namespace mova {

class TDShowMediaPlatform final : public IMediaPlatform {
 public:
  TDShowMediaPlatform() = default;
  TDShowMediaPlatform(TDShowGraphOptions graphOptions, TDShowDetectorOptions detectorOptions)
      : GraphOptions(graphOptions), DetectorOptions(detectorOptions) {}

  std::unique_ptr<IMediaGraph> CreateGraph() override;
  std::unique_ptr<IFrameDetector> CreateFrameDetector() override;
  bool EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) override;

 private:
  TDShowGraphOptions GraphOptions;
  TDShowDetectorOptions DetectorOptions;
};

}  // namespace mova
