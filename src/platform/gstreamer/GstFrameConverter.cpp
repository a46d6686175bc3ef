#include "platform/gstreamer/GstFrameConverter.h"

#include <libyuv.h>

#include <optional>

#include "platform/gstreamer/YuvToRgb.h"

namespace mova {

namespace {

// The mapped picture a QImage paints from; it keeps the sample, and so the
// buffer, alive until the last copy of the image is gone.
struct TMappedFrame {
  GstVideoFrame Frame;
  GstSample* Sample;
};

void ReleaseMappedFrame(void* mapped) {
  auto* frame = static_cast<TMappedFrame*>(mapped);
  gst_video_frame_unmap(&frame->Frame);
  gst_sample_unref(frame->Sample);
  delete frame;
}

QImage WrapBuffer(GstSample* sample, const GstVideoInfo& info, GstBuffer* buffer) {
  auto mapped = std::make_unique<TMappedFrame>();
  if (!gst_video_frame_map(&mapped->Frame, &info, buffer, GST_MAP_READ)) return {};
  mapped->Sample = gst_sample_ref(sample);
  const GstVideoFrame& frame = mapped->Frame;
  // A read-only image on memory that stays mapped while any copy of it lives.
  QImage picture(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), GST_VIDEO_FRAME_WIDTH(&frame),
                 GST_VIDEO_FRAME_HEIGHT(&frame), GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32,
                 &ReleaseMappedFrame, mapped.get());
  if (picture.isNull()) {
    ReleaseMappedFrame(mapped.release());
    return {};
  }
  mapped.release();  // the image owns it now
  return picture;
}

// The BGRx picture of `width` x `height` that `in` is converted to. The
// converter changes pixels only, never the timing or the field order.
bool BgrxInfo(const GstVideoInfo& in, int width, int height, GstVideoInfo& out) {
  if (!gst_video_info_set_format(&out, GST_VIDEO_FORMAT_BGRx, width, height)) return false;
  GST_VIDEO_INFO_FPS_N(&out) = GST_VIDEO_INFO_FPS_N(&in);
  GST_VIDEO_INFO_FPS_D(&out) = GST_VIDEO_INFO_FPS_D(&in);
  GST_VIDEO_INFO_INTERLACE_MODE(&out) = GST_VIDEO_INFO_INTERLACE_MODE(&in);
  return true;
}

// Converts `source` straight into the pixels of `image`, laid out as `out`.
bool ConvertIntoImage(GstVideoConverter* converter, const GstVideoFrame& source, const GstVideoInfo& out,
                      QImage& image) {
  GstBuffer* target = gst_buffer_new_wrapped_full(static_cast<GstMemoryFlags>(0), image.bits(),
                                                  static_cast<gsize>(image.sizeInBytes()), 0,
                                                  static_cast<gsize>(image.sizeInBytes()), nullptr, nullptr);
  GstVideoFrame destination;
  const bool mapped = gst_video_frame_map(&destination, &out, target, GST_MAP_WRITE);
  if (mapped) {
    gst_video_converter_frame(converter, &source, &destination);
    gst_video_frame_unmap(&destination);
  }
  gst_buffer_unref(target);
  return mapped;
}

}  // namespace

TFrameConverter::~TFrameConverter() {
  if (Converter != nullptr) gst_video_converter_free(Converter);
}

QImage TFrameConverter::Convert(GstSample* sample, QSize shown) {
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstVideoInfo in;
  if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&in, caps)) return {};
  const int width = GST_VIDEO_INFO_WIDTH(&in);
  const int height = GST_VIDEO_INFO_HEIGHT(&in);
  const bool smaller = shown.width() > 0 && shown.height() > 0 && shown.width() <= width &&
                       shown.height() <= height && shown != QSize(width, height);
  const QSize size = smaller ? shown : QSize(width, height);
  if (GST_VIDEO_INFO_FORMAT(&in) == GST_VIDEO_FORMAT_BGRx && !smaller) return WrapBuffer(sample, in, buffer);

  GstVideoInfo out;
  if (!BgrxInfo(in, size.width(), size.height(), out)) return {};
  QImage spare;
  QImage& image = *FreeImage(size, spare);
  // The converters write rows of the image's own stride.
  if (image.isNull() || image.bytesPerLine() != GST_VIDEO_INFO_PLANE_STRIDE(&out, 0)) return {};
  GstVideoFrame source;
  if (!gst_video_frame_map(&source, &in, buffer, GST_MAP_READ)) return {};
  bool converted = ConvertI420(source, image.bits(), static_cast<int>(image.bytesPerLine()), size);
  if (!converted) {
    GstVideoConverter* converter = ConverterFor(in, out);
    converted = converter != nullptr && ConvertIntoImage(converter, source, out, image);
  }
  gst_video_frame_unmap(&source);
  return converted ? image : QImage();
}

// The common case, a progressive I420 picture: its planes are brought to the
// output's size with libyuv's vector code (a box filter when scaling down,
// which averages every source pixel under an output pixel, at least as sharp
// as bilinear and free of its aliasing at large reductions; bilinear when the
// colour planes are brought up to full size), then turned into RGB at full
// precision. Exactly half the size, the usual 50 % zoom, only needs the luma
// halved: the colour planes of I420 already have the output's size. False
// when the picture is not such a case.
bool TFrameConverter::ConvertI420(const GstVideoFrame& source, uchar* bits, int rgbStride, QSize size) {
  const GstVideoInfo& info = source.info;
  if (GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_I420 || GST_VIDEO_INFO_IS_INTERLACED(&info)) return false;
  const std::optional<TYuvMatrix> matrix = YuvMatrixFor(info.colorimetry);
  if (!matrix || size.isEmpty()) return false;
  const int width = size.width();
  const int height = size.height();
  std::array<const uint8_t*, 3> data{};
  std::array<int, 3> stride{};
  for (int plane = 0; plane < 3; ++plane) {
    data[plane] = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&source, plane));
    stride[plane] = GST_VIDEO_FRAME_PLANE_STRIDE(&source, plane);
  }
  if (GST_VIDEO_FRAME_COMP_WIDTH(&source, 0) == width && GST_VIDEO_FRAME_COMP_HEIGHT(&source, 0) == height) {
    ConvertAtOwnSize(*matrix, data, stride, bits, rgbStride, size);
    return true;
  }
  const size_t planeSize = static_cast<size_t>(width) * height;
  size_t scaledPlanes = 0;
  for (int plane = 0; plane < 3; ++plane) {
    if (GST_VIDEO_FRAME_COMP_WIDTH(&source, plane) != width || GST_VIDEO_FRAME_COMP_HEIGHT(&source, plane) != height)
      ++scaledPlanes;
  }
  uint8_t* next = Scratch(planeSize * scaledPlanes);
  for (int plane = 0; plane < 3; ++plane) {
    const int planeWidth = GST_VIDEO_FRAME_COMP_WIDTH(&source, plane);
    const int planeHeight = GST_VIDEO_FRAME_COMP_HEIGHT(&source, plane);
    if (planeWidth == width && planeHeight == height) continue;
    libyuv::ScalePlane(data[plane], stride[plane], planeWidth, planeHeight, next, width, width, height,
                       libyuv::kFilterBox);
    data[plane] = next;
    stride[plane] = width;
    next += planeSize;
  }
  YuvToRgb32(*matrix, data[0], stride[0], data[1], stride[1], data[2], stride[2], bits, rgbStride, width, height);
  return true;
}

// At its own size only the colour planes need scaling, up to twice their
// size. That is done a band of rows at a time, so the full-size colour
// planes (4 MB at 1080p) never exist: each band's colour rows come with the
// row before and after it, which the bilinear filter reads, and the rows they
// give at the band's edges are left out.
void TFrameConverter::ConvertAtOwnSize(const TYuvMatrix& matrix, const std::array<const uint8_t*, 3>& data,
                                       const std::array<int, 3>& stride, uchar* bits, int rgbStride, QSize size) {
  const int width = size.width();
  const int height = size.height();
  const int colourWidth = (width + 1) / 2;
  const int colourHeight = (height + 1) / 2;
  constexpr int BandRows = 16;  // colour rows per band, 32 picture rows
  const size_t bandPlane = static_cast<size_t>(width) * 2 * (BandRows + 2);
  uint8_t* scratch = Scratch(2 * bandPlane);
  const std::array<uint8_t*, 2> up{scratch, scratch + bandPlane};
  for (int first = 0; first < colourHeight; first += BandRows) {
    const int last = std::min(first + BandRows, colourHeight);  // one past the band's last colour row
    const int from = std::max(first - 1, 0);                  // with the rows around it
    const int to = std::min(last + 1, colourHeight);
    // The rows `from`..`to` give picture rows 2*from on; the last band of an
    // odd height ends a row short, as the whole plane would.
    const int upRows = std::min(2 * (to - from), height - 2 * from);
    for (int plane = 1; plane < 3; ++plane) {
      libyuv::ScalePlane(data[plane] + static_cast<ptrdiff_t>(from) * stride[plane], stride[plane], colourWidth,
                         to - from, up[plane - 1], width, width, upRows, libyuv::kFilterBilinear);
    }
    const int top = 2 * first;
    const int rows = std::min(2 * last, height) - top;
    const ptrdiff_t skip = static_cast<ptrdiff_t>(top - 2 * from) * width;
    YuvToRgb32(matrix, data[0] + static_cast<ptrdiff_t>(top) * stride[0], stride[0], up[0] + skip, width, up[1] + skip,
               width, bits + static_cast<ptrdiff_t>(top) * rgbStride, rgbStride, width, rows);
  }
}

// Room for `bytes` of planes. After a zoom down, megabytes held for the
// larger size are let go.
uint8_t* TFrameConverter::Scratch(size_t bytes) {
  if (Scaled.capacity() > 2 * bytes) Scaled = std::vector<uint8_t>();
  Scaled.resize(bytes);
  return Scaled.data();
}

bool TFrameConverter::ConvertInto(GstSample* sample, uchar* bits, int stride, QSize size) {
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstVideoInfo in;
  if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&in, caps) ||
      GST_VIDEO_INFO_FORMAT(&in) != GST_VIDEO_FORMAT_I420 || size.width() > GST_VIDEO_INFO_WIDTH(&in) ||
      size.height() > GST_VIDEO_INFO_HEIGHT(&in))
    return false;
  GstVideoFrame source;
  if (!gst_video_frame_map(&source, &in, buffer, GST_MAP_READ)) return false;
  const bool converted = ConvertI420(source, bits, stride, size);
  gst_video_frame_unmap(&source);
  return converted;
}

GstVideoConverter* TFrameConverter::ConverterFor(const GstVideoInfo& in, const GstVideoInfo& out) {
  if (Converter != nullptr && gst_video_info_is_equal(&in, &ConverterIn) && gst_video_info_is_equal(&out, &ConverterOut))
    return Converter;
  if (Converter != nullptr) gst_video_converter_free(Converter);
  const int inWidth = GST_VIDEO_INFO_WIDTH(&in);
  const int inHeight = GST_VIDEO_INFO_HEIGHT(&in);
  const int outWidth = GST_VIDEO_INFO_WIDTH(&out);
  const int outHeight = GST_VIDEO_INFO_HEIGHT(&out);
  // Bilinear: two taps per direction, the filter Qt's smooth painting uses.
  // At half the size or less the colour planes of subsampled pictures are at
  // least as sharp as the output, so a separate pass that first resamples
  // them to full size would cost without being seen.
  const bool halfOrLess = outWidth * 2 <= inWidth && outHeight * 2 <= inHeight;
  GstStructure* options = gst_structure_new(
      "options", GST_VIDEO_CONVERTER_OPT_RESAMPLER_METHOD, GST_TYPE_VIDEO_RESAMPLER_METHOD,
      GST_VIDEO_RESAMPLER_METHOD_LINEAR, GST_VIDEO_CONVERTER_OPT_RESAMPLER_TAPS, G_TYPE_UINT, 2u,
      GST_VIDEO_CONVERTER_OPT_CHROMA_MODE, GST_TYPE_VIDEO_CHROMA_MODE,
      halfOrLess ? GST_VIDEO_CHROMA_MODE_NONE : GST_VIDEO_CHROMA_MODE_FULL, GST_VIDEO_CONVERTER_OPT_DITHER_METHOD,
      GST_TYPE_VIDEO_DITHER_METHOD, GST_VIDEO_DITHER_NONE, GST_VIDEO_CONVERTER_OPT_THREADS, G_TYPE_UINT, 1u, nullptr);
  Converter = gst_video_converter_new(const_cast<GstVideoInfo*>(&in), const_cast<GstVideoInfo*>(&out), options);
  ConverterIn = in;
  ConverterOut = out;
  return Converter;
}

// The image to write the next picture into; written through the returned
// pointer while this object holds its only reference, so nothing is copied.
QImage* TFrameConverter::FreeImage(QSize size, QImage& spare) {
  for (QImage& image : Images) {
    // Detached: this array holds the only reference, no painter reads it.
    if (!image.isNull() && image.size() == size && image.isDetached()) return &image;
  }
  for (QImage& image : Images) {
    if (image.isNull() || image.size() != size || image.isDetached()) {
      image = QImage(size, QImage::Format_RGB32);
      return &image;
    }
  }
  // All of them are being painted or wait to be: a new one, not kept.
  spare = QImage(size, QImage::Format_RGB32);
  return &spare;
}

}  // namespace mova
