#include "player/FrameCapture.h"

namespace mova {

bool CaptureFrameToFile(IOperatingSystem& system, IFrameDetector* detector, bool opened, const std::string& fileName, int32_t positionMs,
                        int32_t videoWidth, int32_t videoHeight, const std::string& targetFile) {
  if (!opened || detector == nullptr) return false;
  // A size no bitmap can hold is refused before anything is decoded.
  if (!BitmapSizeValid(videoWidth, videoHeight)) return false;
  const double seconds = positionMs / 1000.0;
  TRgbImage frame;
  if (!detector->DecodeFrame(fileName, seconds, videoWidth, videoHeight, frame)) return false;
  // The saved picture is promised at the video's size; a detector that
  // scaled otherwise must not produce a file of the wrong size.
  if (frame.Width != videoWidth || frame.Height != videoHeight) return false;
  return WriteBitmapFile(system, targetFile, frame);
}

}  // namespace mova
