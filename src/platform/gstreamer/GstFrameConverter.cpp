#include "platform/gstreamer/GstFrameConverter.h"

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
  // The converter writes rows of the image's own stride.
  if (image.isNull() || image.bytesPerLine() != GST_VIDEO_INFO_PLANE_STRIDE(&out, 0)) return {};
  GstVideoFrame source;
  if (!gst_video_frame_map(&source, &in, buffer, GST_MAP_READ)) return {};
  if (GST_VIDEO_INFO_FORMAT(&in) == GST_VIDEO_FORMAT_I420 && width % 2 == 0 && height % 2 == 0 &&
      size == QSize(width / 2, height / 2)) {
    const bool done = HalveI420(source, image);
    gst_video_frame_unmap(&source);
    return done ? image : QImage();
  }
  GstVideoConverter* converter = ConverterFor(in, out);
  if (converter == nullptr) {
    gst_video_frame_unmap(&source);
    return {};
  }
  const bool converted = ConvertIntoImage(converter, source, out, image);
  gst_video_frame_unmap(&source);
  return converted ? image : QImage();
}

// Exactly half the size, the common case of a 50 % zoom: the bilinear value
// at the centre of every 2x2 block of luma is their mean, and the colour
// planes of I420 already have the output's size. The mean luma and the
// colour planes as they are make a 4:4:4 picture, which only needs its
// colours converted: a quarter of the work of the general scaler.
bool TFrameConverter::HalveI420(const GstVideoFrame& source, QImage& image) {
  const int width = image.width();
  const int height = image.height();
  HalfLuma.resize(static_cast<size_t>(width) * height);
  const auto* luma = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&source, 0));
  const int lumaStride = GST_VIDEO_FRAME_PLANE_STRIDE(&source, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* top = luma + static_cast<ptrdiff_t>(2 * y) * lumaStride;
    const uint8_t* bottom = top + lumaStride;
    uint8_t* row = HalfLuma.data() + static_cast<ptrdiff_t>(y) * width;
    for (int x = 0; x < width; ++x)
      row[x] = static_cast<uint8_t>((top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) >> 2);
  }

  GstVideoInfo in;
  gst_video_info_set_format(&in, GST_VIDEO_FORMAT_Y444, width, height);
  in.colorimetry = source.info.colorimetry;
  GST_VIDEO_INFO_FPS_N(&in) = GST_VIDEO_INFO_FPS_N(&source.info);
  GST_VIDEO_INFO_FPS_D(&in) = GST_VIDEO_INFO_FPS_D(&source.info);
  GST_VIDEO_INFO_INTERLACE_MODE(&in) = GST_VIDEO_INFO_INTERLACE_MODE(&source.info);
  // The planes live in two places; the converter reads a frame's plane
  // pointers and strides only.
  GstVideoFrame halved{};
  halved.info = in;
  halved.data[0] = HalfLuma.data();
  GST_VIDEO_INFO_PLANE_STRIDE(&halved.info, 0) = width;
  for (int plane = 1; plane < 3; ++plane) {
    halved.data[plane] = GST_VIDEO_FRAME_PLANE_DATA(&source, plane);
    GST_VIDEO_INFO_PLANE_STRIDE(&halved.info, plane) = GST_VIDEO_FRAME_PLANE_STRIDE(&source, plane);
  }

  GstVideoInfo out;
  if (!BgrxInfo(in, width, height, out)) return false;
  GstVideoConverter* converter = ConverterFor(in, out);
  if (converter == nullptr) return false;
  return ConvertIntoImage(converter, halved, out, image);
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
