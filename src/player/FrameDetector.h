#pragma once
// The media detector seam: frame capture decodes the picture from the file
// itself, apart from the playing graph, so what the user sees (zoom, aspect,
// a frame still on its way to the screen) never changes what is saved.
#include <cstdint>
#include <string>

#include "player/BitmapWriter.h"

namespace mova {

class IFrameDetector {
 public:
  virtual ~IFrameDetector() = default;

  // Decodes the frame of the FIRST video stream of `fileName` that is shown at
  // `seconds` (an exact seek, not the nearest key frame; a negative time
  // counts as 0, and a time at or past the end gives the last frame), scaled
  // to exactly `width` × `height` pixels whatever the stream's own size or
  // pixel aspect, and stores it in `frame` (Width, Height and top-down RGB
  // Pixels as TRgbImage describes).
  // False, with `frame` unspecified, when the file cannot be read, has no
  // video stream, cannot be decoded, the size is not positive, or the work
  // does not finish within a few seconds; it never waits without bound.
  // Opens the file anew on every call and holds nothing afterwards; any media
  // graph that plays the same file is not touched. Window thread only.
  virtual bool DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                           TRgbImage& frame) = 0;
};

}  // namespace mova
