#pragma once
// Creates GStreamer graphs, and owns GStreamer's start and shut-down.
#include <memory>

#include "platform/gstreamer/GstMediaGraph.h"
#include "player/MediaGraph.h"

namespace mova {

class TGstMediaPlatform final : public IMediaPlatform {
 public:
  // Starts GStreamer unless it runs already.
  explicit TGstMediaPlatform(TGstGraphOptions options = {});
  // The last platform alive shuts GStreamer down for good when it was the
  // one that started it; create one platform for the whole run.
  ~TGstMediaPlatform() override;
  TGstMediaPlatform(const TGstMediaPlatform&) = delete;
  TGstMediaPlatform& operator=(const TGstMediaPlatform&) = delete;

  // False when GStreamer could not be started; CreateGraph then answers nullptr.
  bool Ready() const { return Started; }

  std::unique_ptr<IMediaGraph> CreateGraph() override;
  std::unique_ptr<IFrameDetector> CreateFrameDetector() override;

 private:
  TGstGraphOptions Options;
  bool Started = false;
};

}  // namespace mova
