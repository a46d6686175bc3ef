#pragma once
// Turns a decoded picture into RGB32 pixels of the size it is shown at: into
// memory the caller gives (the window's back buffer) or into an image of its
// own. Used on the window thread only.
#include <gst/gst.h>
#include <gst/video/video.h>

#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gstreamer/YuvToRgb.h"

namespace mova {

class TFrameConverter {
 public:
  TFrameConverter() = default;
  ~TFrameConverter();
  TFrameConverter(const TFrameConverter&) = delete;
  TFrameConverter& operator=(const TFrameConverter&) = delete;

  // The picture in `sample` as RGB32: scaled down to `shown` when that is
  // smaller than the picture in both directions, at its own size otherwise.
  // A BGRx picture that needs no scaling is painted from its buffer without
  // a copy. Null when the sample holds no picture it can read.
  QImage Convert(GstSample* sample, QSize shown);

  // Converts the picture in `sample` to exactly `size`, its own or smaller,
  // into RGB32 pixels at `bits`, whose rows lie `stride` bytes apart, when
  // it is of the common kind that the fast path takes: a progressive I420
  // picture in a known colour matrix. False, with nothing written, otherwise
  // and for a size larger than the picture in either direction (scaling its
  // planes up first would take more memory than scaling the RGB image up).
  bool ConvertInto(GstSample* sample, uchar* bits, int stride, QSize size);

 private:
  GstVideoConverter* ConverterFor(const GstVideoInfo& in, const GstVideoInfo& out);
  bool ConvertI420(const GstVideoFrame& source, uchar* bits, int stride, QSize size);
  void ConvertAtOwnSize(const TYuvMatrix& matrix, const std::array<const uint8_t*, 3>& data,
                        const std::array<int, 3>& stride, uchar* bits, int rgbStride, QSize size);
  uint8_t* Scratch(size_t bytes);
  QImage* FreeImage(QSize size, QImage& spare);

  GstVideoConverter* Converter = nullptr;
  GstVideoInfo ConverterIn{};
  GstVideoInfo ConverterOut{};
  // Images written before: one that nobody paints any more is written again
  // instead of allocating megabytes for every frame.
  std::array<QImage, 3> Images;
  std::vector<uint8_t> Scaled;  // planes brought to the output's size, before their colours are converted
};

}  // namespace mova
