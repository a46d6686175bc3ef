#include "platform/gstreamer/GstStreamLinker.h"

#include <vector>

#include "platform/gstreamer/UntimedPictures.h"

namespace mova {

namespace {

using Chain = std::vector<gsthandles::ElementPtr>;

// Appends a new element of `factory` unless it is not installed.
GstElement* Append(Chain& chain, const char* factory) {
  GstElement* element = gst_element_factory_make(factory, nullptr);
  if (element == nullptr) return nullptr;
  chain.emplace_back(GST_ELEMENT(gst_object_ref_sink(element)));
  return element;
}

void PostError(GstElement* pipeline, const char* text) {
  GError* error = g_error_new_literal(GST_CORE_ERROR, GST_CORE_ERROR_NEGOTIATION, text);
  gst_element_post_message(pipeline, gst_message_new_error(GST_OBJECT(pipeline), error, nullptr));
  g_error_free(error);
}

}  // namespace

TGstStreamLinker::TGstStreamLinker(GstElement* pipeline, GstElement* videoSink, GstElement* audioSink)
    : Pipeline(pipeline),
      VideoSink(videoSink != nullptr ? GST_ELEMENT(gst_object_ref_sink(videoSink)) : nullptr),
      AudioSink(audioSink != nullptr ? GST_ELEMENT(gst_object_ref_sink(audioSink)) : nullptr) {}

void TGstStreamLinker::Link(GstPad* pad) {
  gsthandles::CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
  std::lock_guard<std::mutex> guard(Lock);
  LinkChain(pad, caps.get());
}

void TGstStreamLinker::LinkChain(GstPad* pad, const GstCaps* caps) {
  const GstStructure* format = caps != nullptr && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0)
                                                                              : nullptr;
  const char* kind = format != nullptr ? gst_structure_get_name(format) : "";
  const bool pictures = g_str_equal(kind, "video/x-raw");
  const bool sound = g_str_equal(kind, "audio/x-raw");
  const bool subtitles = g_str_equal(kind, "text/x-raw") || g_str_has_prefix(kind, "subpicture/");
  if (pictures) TimeUntimedPictures(pad);

  // An entry already built that is free: the first subtitle stream's in the
  // picture chain's overlay, or that of a chain whose stream has gone (the
  // next part of a chained file comes from a new decoder).
  gsthandles::PadPtr freeEntry;
  if (pictures && VideoPad) freeEntry.reset(GST_PAD(gst_object_ref(VideoPad.get())));
  if (sound && AudioPad) freeEntry.reset(GST_PAD(gst_object_ref(AudioPad.get())));
  if (subtitles && Subtitles) freeEntry.reset(gst_element_get_static_pad(Subtitles.get(), "subtitle_sink"));
  if (freeEntry && !gst_pad_is_linked(freeEntry.get())) {
    if (gst_pad_link(pad, freeEntry.get()) != GST_PAD_LINK_OK)
      PostError(Pipeline, "A decoded stream could not be linked.");
    return;
  }

  Chain chain;
  gsthandles::PadPtr* entrySlot = nullptr;  // where the new chain's entry is kept
  if (pictures && VideoSink) {
    // One decoded picture waits here, so the decoder works on the next one
    // while the sink waits for the time of the current one. More would only
    // hold memory (3 MB a picture at 1080p).
    if (GstElement* queue = Append(chain, "queue"))
      g_object_set(queue, "max-size-buffers", 1u, "max-size-bytes", 0u, "max-size-time", guint64{0}, nullptr);
    // Passed through untouched unless the pictures are interlaced, a
    // subtitle stream is linked to the overlay, or the user changes the
    // colour balance in the element settings.
    Append(chain, "deinterlace");
    // Turns and flips the pictures as the stream's orientation tag says;
    // untouched without one. The converter in front gives it a format it
    // takes whatever the decoder's.
    Append(chain, "videoconvert");
    if (GstElement* turn = Append(chain, "videoflip"))
      gst_util_set_object_arg(G_OBJECT(turn), "video-direction", "auto");
    if (GstElement* overlay = Append(chain, "subtitleoverlay")) Subtitles.reset(GST_ELEMENT(gst_object_ref(overlay)));
    Append(chain, "videobalance");
    // For the decoders' other formats: the frame sink takes I420 and BGRx.
    Append(chain, "videoconvert");
    ShownPad.reset(gst_element_get_static_pad(VideoSink.get(), "sink"));
    chain.push_back(std::move(VideoSink));
    entrySlot = &VideoPad;
  } else if (sound && AudioSink) {
    Append(chain, "audioconvert");
    Append(chain, "audioresample");
    if (GstElement* volume = Append(chain, "volume")) {
      g_object_set(volume, "volume", LinearVolume, nullptr);
      Volume.reset(GST_ELEMENT(gst_object_ref(volume)));
    }
    chain.push_back(std::move(AudioSink));
    entrySlot = &AudioPad;
  } else {
    // Nothing plays this stream: its data is dropped as it leaves the pad.
    // No sink means nothing to wait for before playing starts, no end to
    // wait for, and no position of its own running ahead of the others.
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_DATA_DOWNSTREAM,
                      [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; }, nullptr, nullptr);
    return;
  }

  for (const auto& element : chain) gst_bin_add(GST_BIN(Pipeline), element.get());
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    if (!gst_element_link(chain[i].get(), chain[i + 1].get())) {
      PostError(Pipeline, "A stream's elements could not be linked.");
      return;
    }
  }
  // Downstream first, so that nothing flows into an element not yet running.
  for (auto element = chain.rbegin(); element != chain.rend(); ++element)
    gst_element_sync_state_with_parent(element->get());
  gsthandles::PadPtr entry(gst_element_get_static_pad(chain.front().get(), "sink"));
  if (!entry || gst_pad_link(pad, entry.get()) != GST_PAD_LINK_OK) {
    PostError(Pipeline, "A decoded stream could not be linked.");
    return;
  }
  *entrySlot = std::move(entry);
}

gsthandles::CapsPtr TGstStreamLinker::VideoCaps() const {
  std::lock_guard<std::mutex> guard(Lock);
  return gsthandles::CapsPtr(ShownPad ? gst_pad_get_current_caps(ShownPad.get()) : nullptr);
}

gsthandles::PadPtr TGstStreamLinker::DecodedVideo() const {
  std::lock_guard<std::mutex> guard(Lock);
  return gsthandles::PadPtr(VideoPad ? gst_pad_get_peer(VideoPad.get()) : nullptr);
}

gsthandles::PadPtr TGstStreamLinker::DecodedAudio() const {
  std::lock_guard<std::mutex> guard(Lock);
  return gsthandles::PadPtr(AudioPad ? gst_pad_get_peer(AudioPad.get()) : nullptr);
}

void TGstStreamLinker::SetVolume(double linear) {
  std::lock_guard<std::mutex> guard(Lock);
  LinearVolume = linear;
  if (Volume) g_object_set(Volume.get(), "volume", linear, nullptr);
}

}  // namespace mova
