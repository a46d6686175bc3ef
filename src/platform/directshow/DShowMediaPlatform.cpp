#include "platform/directshow/DShowMediaPlatform.h"

#include "platform/directshow/DShowPngWriter.h"

namespace mova {

std::unique_ptr<IMediaGraph> TDShowMediaPlatform::CreateGraph() { return TDShowGraph::Create(GraphOptions); }

std::unique_ptr<IFrameDetector> TDShowMediaPlatform::CreateFrameDetector() {
  return std::make_unique<TDShowFrameDetector>(DetectorOptions);
}

bool TDShowMediaPlatform::EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) {
  return dshow::EncodePngWithWic(picture, bytes);
}

}  // namespace mova
