#include "platform/directshow/DShowMediaPlatform.h"

namespace mova {

std::unique_ptr<IMediaGraph> TDShowMediaPlatform::CreateGraph() { return TDShowGraph::Create(GraphOptions); }

std::unique_ptr<IFrameDetector> TDShowMediaPlatform::CreateFrameDetector() {
  return std::make_unique<TDShowFrameDetector>(DetectorOptions);
}

}  // namespace mova
