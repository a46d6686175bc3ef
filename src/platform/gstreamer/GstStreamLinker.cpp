#include "platform/gstreamer/GstStreamLinker.h"

#include <algorithm>
#include <string>
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
  LinkChain(pad, caps.get(), false);
}

void TGstStreamLinker::LinkSubtitleFile(GstPad* pad) {
  gsthandles::CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
  std::lock_guard<std::mutex> guard(Lock);
  LinkChain(pad, caps.get(), true);
}

void TGstStreamLinker::Drop(TChoice& choice) {
  // Nothing plays this stream: its data is dropped as it leaves the pad.
  // No sink means nothing to wait for before playing starts, no end to wait
  // for, and no position of its own running ahead of the others. A subtitle
  // file, a stream of its own, is held instead while the pictures' overlay
  // may still come, so that none of its text is lost before it can be shown.
  if (choice.FromFile && !Subtitles && !DecoderDone) return Hold(choice);
  if (choice.Probe != 0) return;
  choice.Probe = gst_pad_add_probe(choice.Pad.get(), GST_PAD_PROBE_TYPE_DATA_DOWNSTREAM,
                                       [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; },
                                       nullptr, nullptr);
}

void TGstStreamLinker::Hold(TChoice& choice) {
  if (choice.Probe != 0) return;
  choice.Probe = gst_pad_add_probe(choice.Pad.get(), GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM,
                                       [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_OK; },
                                       nullptr, nullptr);
}

void TGstStreamLinker::Release(TChoice& choice) {
  if (choice.Probe != 0) gst_pad_remove_probe(choice.Pad.get(), choice.Probe);
  choice.Probe = 0;
}

gsthandles::PadPtr TGstStreamLinker::EntryOf(bool sound) const {
  if (sound) return gsthandles::PadPtr(AudioPad ? GST_PAD(gst_object_ref(AudioPad.get())) : nullptr);
  return gsthandles::PadPtr(Subtitles ? gst_element_get_static_pad(Subtitles.get(), "subtitle_sink") : nullptr);
}

bool TGstStreamLinker::LinkNext(bool sound) {
  std::lock_guard<std::mutex> guard(Lock);
  if (!sound) {
    // The overlay keeps the subtitle stream it was given: one relinked
    // while the pictures play holds them up (the overlay waits for text the
    // new stream does not bring). What can change is whether it is drawn:
    // the stream, then none, in turn.
    const gsthandles::PadPtr overlay = EntryOf(false);
    if (!overlay || !gst_pad_is_linked(overlay.get())) return false;
    NoSubtitle = !NoSubtitle;
    ApplySubtitlesShown();
    return true;
  }
  const gsthandles::PadPtr entry = EntryOf(true);
  if (!entry || Sounds.size() < 2) return false;
  // The sound goes round its streams.
  size_t linked = 0;
  for (size_t i = 0; i < Sounds.size(); ++i)
    if (Sounds[i].Probe == 0 && gst_pad_is_linked(Sounds[i].Pad.get())) linked = i;
  TChoice& chosen = Sounds[(linked + 1) % Sounds.size()];
  gst_pad_unlink(Sounds[linked].Pad.get(), entry.get());
  Drop(Sounds[linked]);
  // Linked before its data flows again, so that none of it is lost.
  if (gst_pad_link(chosen.Pad.get(), entry.get()) != GST_PAD_LINK_OK) return false;
  Release(chosen);
  return true;
}

void TGstStreamLinker::AllStreamsLinked() {
  std::lock_guard<std::mutex> guard(Lock);
  DecoderDone = true;
  // No pictures came: a subtitle file held for them has nothing to go with.
  if (Subtitles) return;
  for (TChoice& choice : SubtitleChoices) {
    if (choice.Probe == 0) continue;
    Release(choice);
    Drop(choice);
  }
}

void TGstStreamLinker::SetSubtitlesVisible(bool visible) {
  std::lock_guard<std::mutex> guard(Lock);
  SubtitlesVisible = visible;
  ApplySubtitlesShown();
}

void TGstStreamLinker::ApplySubtitlesShown() {
  if (Subtitles) g_object_set(Subtitles.get(), "silent", SubtitlesVisible && !NoSubtitle ? FALSE : TRUE, nullptr);
}

void TGstStreamLinker::SetSubtitleSize(int pictureWidth, int pictureHeight) {
  std::lock_guard<std::mutex> guard(Lock);
  if (!Subtitles || pictureWidth <= 0 || pictureHeight <= 0) return;
  // As the players draw them: sans-serif letters a twentieth of the
  // picture's height, outlined (the overlay's default), near the bottom.
  // The overlay scales its font with the picture's width against 640
  // pixels, and a point of its font is 0.9 pixels of letter there.
  const double points = pictureHeight / 20.0 * 640.0 / (0.9 * pictureWidth);
  const std::string font = "Sans Bold " + std::to_string(std::clamp(static_cast<int>(points + 0.5), 6, 200));
  g_object_set(Subtitles.get(), "font-desc", font.c_str(), nullptr);
}

void TGstStreamLinker::LinkChain(GstPad* pad, const GstCaps* caps, bool fromFile) {
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
  // Every sound and subtitle stream can be chosen later; the file's own
  // subtitle streams come before a subtitle file's.
  TChoice* choice = nullptr;
  if (sound || subtitles) {
    std::vector<TChoice>& choices = sound ? Sounds : SubtitleChoices;
    auto at = choices.end();
    if (!fromFile) at = std::find_if(choices.begin(), choices.end(), [](const TChoice& c) { return c.FromFile; });
    at = choices.insert(at, TChoice{gsthandles::PadPtr(GST_PAD(gst_object_ref(pad))), 0, fromFile});
    choice = &*at;
  }
  if (freeEntry && gst_pad_is_linked(freeEntry.get()) && subtitles && !fromFile) {
    // A subtitle file's stream came first; the file's own first stream takes
    // its place.
    for (TChoice& other : SubtitleChoices) {
      if (other.FromFile && other.Probe == 0 && gst_pad_is_linked(other.Pad.get())) {
        gst_pad_unlink(other.Pad.get(), freeEntry.get());
        Drop(other);
      }
    }
  }
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
    // Keeps the sound at its pitch when the rate is not 1.
    Append(chain, "scaletempo");
    Append(chain, "audioconvert");
    Append(chain, "audioresample");
    if (GstElement* volume = Append(chain, "volume")) {
      g_object_set(volume, "volume", LinearVolume, nullptr);
      Volume.reset(GST_ELEMENT(gst_object_ref(volume)));
    }
    chain.push_back(std::move(AudioSink));
    entrySlot = &AudioPad;
  } else if (choice != nullptr) {
    // A subtitle file comes before the file's pictures and waits for their
    // overlay (it is a stream of its own, so holding it holds nothing else).
    Drop(*choice);
    return;
  } else {
    TChoice other{gsthandles::PadPtr(GST_PAD(gst_object_ref(pad)))};
    Drop(other);
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
  // A subtitle stream that came before the pictures takes the new overlay.
  if (pictures && !SubtitleChoices.empty()) {
    const gsthandles::PadPtr overlay = EntryOf(false);
    TChoice& first = SubtitleChoices.front();
    if (overlay && !gst_pad_is_linked(overlay.get()) && gst_pad_link(first.Pad.get(), overlay.get()) == GST_PAD_LINK_OK)
      Release(first);
  }
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
