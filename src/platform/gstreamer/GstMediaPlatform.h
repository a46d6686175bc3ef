#pragma once
// Creates GStreamer graphs, and owns GStreamer's start and shut-down.
#include <memory>
#include <thread>

#include "platform/gstreamer/GstMediaGraph.h"
#include "player/MediaGraph.h"

namespace mova {

class TGstMediaPlatform final : public IMediaPlatform {
 public:
  // Starts GStreamer, unless it runs already, on a thread of its own.
  explicit TGstMediaPlatform(TGstGraphOptions options = {});
  // The last platform alive shuts GStreamer down for good when it was the
  // one that started it; create one platform for the whole run.
  ~TGstMediaPlatform() override;
  TGstMediaPlatform(const TGstMediaPlatform&) = delete;
  TGstMediaPlatform& operator=(const TGstMediaPlatform&) = delete;

  // Waits for GStreamer's start; false when it could not be started, and
  // CreateGraph then answers nullptr.
  bool Ready();

  std::unique_ptr<IMediaGraph> CreateGraph() override;
  std::unique_ptr<IFrameDetector> CreateFrameDetector() override;
  // Qt's PNG writer.
  bool EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) override;

  // Waits for the start-up work that runs beside the window's creation. A
  // process must not end while it runs (libraries being loaded then can
  // abort in another library's teardown): the destructor waits, and so must
  // the owner of a platform that is never destroyed.
  void FinishWarmUp();

 private:
  TGstGraphOptions Options;
  bool Live = false;              // counted among the platforms alive
  bool Started = false;           // written by WarmUp, read after it has been joined
  bool StartedGStreamer = false;  // likewise: this platform's warm-up called gst_init
  std::thread WarmUp;
  bool AskedForSound = false;  // WarmUp finds out whether there is a sound device
  bool SoundDevice = false;    // written by WarmUp, read after it has been joined
};

}  // namespace mova
