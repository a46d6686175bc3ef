#include "player/FrameCapture.h"

namespace mova {

bool CaptureFrameToFile(IOperatingSystem& system, IFrameDetector* detector, bool opened, const std::string& fileName, int32_t positionMs,
                        int32_t videoWidth, int32_t videoHeight, const std::string& targetFile,
                        const TPictureEncoder& encode) {
  if (!opened || detector == nullptr) return false;
  // A size no bitmap can hold is refused before anything is decoded.
  if (!BitmapSizeValid(videoWidth, videoHeight)) return false;
  const double seconds = positionMs / 1000.0;
  TRgbImage frame;
  if (!detector->DecodeFrame(fileName, seconds, videoWidth, videoHeight, frame)) return false;
  // The saved picture is promised at the video's size; a detector that
  // scaled otherwise must not produce a file of the wrong size.
  if (frame.Width != videoWidth || frame.Height != videoHeight) return false;
  if (!encode) return WriteBitmapFile(system, targetFile, frame);
  std::vector<uint8_t> bytes;
  if (targetFile.empty() || !encode(frame, bytes) || bytes.empty()) return false;
  return system.WriteFileAtomically(targetFile, bytes) == 0;
}

bool NamesPng(const std::string& targetFile) {
  if (targetFile.size() < 4) return false;
  std::string end = targetFile.substr(targetFile.size() - 4);
  for (char& c : end) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return end == ".png";
}

}  // namespace mova
