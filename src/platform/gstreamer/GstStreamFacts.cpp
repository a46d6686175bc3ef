#include "platform/gstreamer/GstStreamFacts.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace mova {

namespace {

const GstStructure* FirstStructure(const GstCaps* caps) {
  return caps != nullptr && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
}

int IntField(const GstStructure* format, const char* field) {
  gint value = 0;
  return gst_structure_get_int(format, field, &value) ? value : 0;
}

bool IsRaw(const GstCaps* caps) {
  const GstStructure* format = FirstStructure(caps);
  if (format == nullptr) return false;
  const char* name = gst_structure_get_name(format);
  return g_str_equal(name, "audio/x-raw") || g_str_equal(name, "video/x-raw");
}

// The element that feeds `pad` from inside the bins the pad is a ghost of.
GstPad* InnerTarget(GstPad* pad) {
  gst_object_ref(pad);
  while (GST_IS_GHOST_PAD(pad)) {
    GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(pad));
    gst_object_unref(pad);
    if (target == nullptr) return nullptr;
    pad = target;
  }
  return pad;
}

}  // namespace

uint16_t WaveTagOf(const GstCaps* caps) {
  const GstStructure* format = FirstStructure(caps);
  if (format == nullptr) return 0;
  const char* name = gst_structure_get_name(format);
  if (g_str_equal(name, "audio/x-raw")) {
    const char* sample = gst_structure_get_string(format, "format");
    return sample != nullptr && sample[0] == 'F' ? 3 : 1;  // IEEE float, else PCM
  }
  if (g_str_equal(name, "audio/mpeg")) {
    if (IntField(format, "mpegversion") != 1) return 0xFF;  // MPEG-2 or -4 AAC
    return IntField(format, "layer") == 3 ? 0x55 : 0x50;
  }
  if (g_str_equal(name, "audio/x-ac3") || g_str_equal(name, "audio/ac3")) return 0x2000;
  if (g_str_equal(name, "audio/x-flac")) return 0xF1AC;
  if (g_str_equal(name, "audio/x-opus")) return 0x704F;
  if (g_str_equal(name, "audio/x-vorbis")) return 0x674F;
  if (g_str_equal(name, "audio/x-wma")) {
    const int version = IntField(format, "wmaversion");
    return version >= 1 && version <= 4 ? static_cast<uint16_t>(0x15F + version) : 0;
  }
  if (g_str_equal(name, "audio/x-alaw")) return 6;
  if (g_str_equal(name, "audio/x-mulaw")) return 7;
  if (g_str_equal(name, "audio/x-adpcm")) {
    const char* layout = gst_structure_get_string(format, "layout");
    if (layout != nullptr && std::strcmp(layout, "microsoft") == 0) return 2;
    if (layout != nullptr && std::strcmp(layout, "dvi") == 0) return 0x11;
  }
  return 0;
}

std::string FourCcOf(const GstCaps* caps) {
  const GstStructure* format = FirstStructure(caps);
  if (format == nullptr) return "";
  const std::string name = gst_structure_get_name(format);
  static const struct {
    const char* Name;
    const char* Code;
  } fixed[] = {
      {"video/x-h264", "H264"}, {"video/x-h265", "HEVC"},       {"video/x-vp8", "VP80"},
      {"video/x-vp9", "VP90"},  {"video/x-av1", "AV01"},        {"video/x-theora", "THEO"},
      {"video/x-h263", "H263"}, {"video/x-flash-video", "FLV1"}, {"image/jpeg", "MJPG"},
      {"video/x-dv", "dvsd"},   {"video/x-xvid", "XVID"},       {"video/x-huffyuv", "HFYU"},
  };
  for (const auto& entry : fixed)
    if (name == entry.Name) return entry.Code;
  if (name == "video/mpeg") {
    switch (IntField(format, "mpegversion")) {
      case 1: return "MPG1";
      case 2: return "MPG2";
      case 4: return "MP4V";
      default: return "";
    }
  }
  if (name == "video/x-wmv" || name == "video/x-raw") {
    // The code is in the caps ("WVC1", "I420"); Windows Media 1 to 3 otherwise.
    const char* code = gst_structure_get_string(format, "format");
    if (code != nullptr && std::strlen(code) == 4) return code;
    const int version = IntField(format, "wmvversion");
    return version >= 1 && version <= 3 ? "WMV" + std::to_string(version) : "";
  }
  if (name == "video/x-msmpeg") {
    const int version = IntField(format, "msmpegversion");
    return version >= 41 && version <= 43 ? "MP" + std::to_string(version) : "";
  }
  if (name == "video/x-divx") return IntField(format, "divxversion") == 3 ? "DIV3" : "DIVX";
  return "";
}

gsthandles::CapsPtr CompressedCaps(GstPad* decodedPad) {
  gsthandles::CapsPtr raw(gst_pad_get_current_caps(decodedPad));
  GstPad* pad = InnerTarget(decodedPad);
  // A converter or two, the decoder, a parser: a few steps at most. The
  // decoder's input is the stream as stored; a demuxer or a source reached
  // first means the stream was stored raw (a WAVE file's PCM).
  for (int step = 0; pad != nullptr && step < 8; ++step) {
    GstElement* element = gst_pad_get_parent_element(pad);
    gst_object_unref(pad);
    pad = nullptr;
    if (element == nullptr) break;
    const char* kind = gst_element_get_metadata(element, GST_ELEMENT_METADATA_KLASS);
    const bool decoder = kind != nullptr && std::strstr(kind, "Decoder") != nullptr;
    const bool container = kind == nullptr || std::strstr(kind, "Demux") != nullptr || std::strstr(kind, "Source");
    GstPad* input = container ? nullptr : gst_element_get_static_pad(element, "sink");
    gst_object_unref(element);
    if (input == nullptr) break;
    if (decoder) {
      gsthandles::CapsPtr caps(gst_pad_get_current_caps(input));
      gst_object_unref(input);
      if (caps && FirstStructure(caps.get()) != nullptr) return caps;
      break;
    }
    GstPad* peer = gst_pad_get_peer(input);
    gst_object_unref(input);
    if (peer == nullptr) break;
    pad = InnerTarget(peer);
    gst_object_unref(peer);
  }
  if (pad != nullptr) gst_object_unref(pad);
  return raw;
}

GstTagList* StreamTags(GstPad* pad) {
  GstTagList* all = nullptr;
  for (guint i = 0;; ++i) {
    GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_TAG, i);
    if (event == nullptr) break;
    GstTagList* tags = nullptr;
    gst_event_parse_tag(event, &tags);
    if (tags != nullptr) {
      GstTagList* merged = gst_tag_list_merge(all, tags, GST_TAG_MERGE_KEEP);
      if (all != nullptr) gst_tag_list_unref(all);
      all = merged;
    }
    gst_event_unref(event);
  }
  return all;
}

void ReadSoundFacts(GstPad* decodedPad, TStreamFacts& facts) {
  const gsthandles::CapsPtr raw(gst_pad_get_current_caps(decodedPad));
  const GstStructure* format = FirstStructure(raw.get());
  if (format == nullptr) return;
  facts.Channels = static_cast<uint16_t>(IntField(format, "channels"));
  facts.SamplesPerSecond = static_cast<uint32_t>(IntField(format, "rate"));
  const gsthandles::CapsPtr compressed = CompressedCaps(decodedPad);
  facts.AudioTag = WaveTagOf(compressed.get());
  if (IsRaw(compressed.get())) {
    // Uncompressed: the rate of the samples as stored ("S16LE" 16 bits,
    // "S24_32LE" 32).
    const char* sample = gst_structure_get_string(FirstStructure(compressed.get()), "format");
    const char* storage = sample != nullptr ? std::strchr(sample, '_') : nullptr;
    const int bits = sample == nullptr ? 0 : std::atoi(storage != nullptr ? storage + 1 : sample + 1);
    const gint rate = IntField(FirstStructure(compressed.get()), "rate");
    const gint channels = IntField(FirstStructure(compressed.get()), "channels");
    facts.BytesPerSecond = static_cast<uint32_t>(int64_t{rate} * channels * bits / 8);
    return;
  }
  guint bitrate = 0;
  if (GstTagList* tags = StreamTags(decodedPad)) {
    if (!gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &bitrate))
      gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &bitrate);
    gst_tag_list_unref(tags);
  }
  facts.BytesPerSecond = bitrate / 8;
}

void ReadPictureFacts(GstPad* decodedPad, const GstCaps* shownCaps, TStreamFacts& facts) {
  const gsthandles::CapsPtr compressed = CompressedCaps(decodedPad);
  facts.VideoCode = FourCcOf(compressed.get());
  gint width = 0;
  gint height = 0;
  if (const GstStructure* shown = FirstStructure(shownCaps);
      shown != nullptr && gst_structure_get_fraction(shown, "pixel-aspect-ratio", &width, &height) && width > 0 &&
      height > 0) {
    facts.PixelWidth = width;
    facts.PixelHeight = height;
  }
  if (GstTagList* tags = StreamTags(decodedPad)) {
    gchar* orientation = nullptr;
    if (gst_tag_list_get_string(tags, GST_TAG_IMAGE_ORIENTATION, &orientation)) {
      // "rotate-90", "flip-rotate-270": a quarter turn either way.
      facts.QuarterTurn = g_str_has_suffix(orientation, "90") || g_str_has_suffix(orientation, "270");
      g_free(orientation);
    }
    gst_tag_list_unref(tags);
  }
}

QImage CoverPicture(const GstTagList* tags) {
  if (tags == nullptr) return {};
  QImage chosen;
  bool front = false;
  for (const char* tag : {GST_TAG_IMAGE, GST_TAG_PREVIEW_IMAGE}) {
    for (guint i = 0; i < gst_tag_list_get_tag_size(tags, tag) && !front; ++i) {
      GstSample* sample = nullptr;
      if (!gst_tag_list_get_sample_index(tags, tag, i, &sample)) continue;
      const gsthandles::SamplePtr owned(sample);
      // The picture's kind, where the tag says: 1 is the front cover.
      const GstStructure* info = gst_sample_get_info(sample);
      const GValue* kind = info != nullptr ? gst_structure_get_value(info, "image-type") : nullptr;
      const bool isFront = kind != nullptr && ((G_VALUE_HOLDS_ENUM(kind) && g_value_get_enum(kind) == 1) ||
                                               (G_VALUE_HOLDS_INT(kind) && g_value_get_int(kind) == 1));
      if (!chosen.isNull() && !isFront) continue;
      GstBuffer* buffer = gst_sample_get_buffer(sample);
      GstMapInfo map;
      if (buffer == nullptr || !gst_buffer_map(buffer, &map, GST_MAP_READ)) continue;
      QImage image = QImage::fromData(map.data, static_cast<int>(std::min<gsize>(map.size, INT32_MAX)));
      gst_buffer_unmap(buffer, &map);
      if (image.isNull()) continue;
      chosen = std::move(image);
      front = isFront;
    }
    if (!chosen.isNull()) break;
  }
  return chosen;
}

gsthandles::SamplePtr SampleOfImage(const QImage& image) {
  if (image.isNull()) return nullptr;
  // RGB32 is BGRx in memory on a little-endian machine, as the sink's pictures.
  const QImage picture = image.convertToFormat(QImage::Format_RGB32);
  GstVideoInfo info;
  gst_video_info_set_format(&info, GST_VIDEO_FORMAT_BGRx, static_cast<guint>(picture.width()),
                            static_cast<guint>(picture.height()));
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, info.size, nullptr);
  if (buffer == nullptr) return nullptr;
  GstMapInfo map;
  if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
    for (int row = 0; row < picture.height(); ++row)
      std::memcpy(map.data + static_cast<size_t>(row) * GST_VIDEO_INFO_PLANE_STRIDE(&info, 0),
                  picture.constScanLine(row), static_cast<size_t>(picture.width()) * 4);
    gst_buffer_unmap(buffer, &map);
  }
  gsthandles::CapsPtr caps(gst_video_info_to_caps(&info));
  gsthandles::SamplePtr sample(gst_sample_new(buffer, caps.get(), nullptr, nullptr));
  gst_buffer_unref(buffer);
  return sample;
}

}  // namespace mova
