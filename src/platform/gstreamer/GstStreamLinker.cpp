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
  // file, a stream of its own, is held instead until the file's own streams
  // are all known, so that none of its text is lost before it can be shown.
  if (choice.FromFile && !DecoderDone) return Hold(choice);
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

bool TGstStreamLinker::LinkNextSound() {
  std::lock_guard<std::mutex> guard(Lock);
  if (!AudioPad || Sounds.size() < 2) return false;
  // The sound goes round its streams.
  size_t linked = 0;
  for (size_t i = 0; i < Sounds.size(); ++i)
    if (Sounds[i].Probe == 0 && gst_pad_is_linked(Sounds[i].Pad.get())) linked = i;
  TChoice& chosen = Sounds[(linked + 1) % Sounds.size()];
  gst_pad_unlink(Sounds[linked].Pad.get(), AudioPad.get());
  Drop(Sounds[linked]);
  // Linked before its data flows again, so that none of it is lost.
  if (gst_pad_link(chosen.Pad.get(), AudioPad.get()) != GST_PAD_LINK_OK) return false;
  Release(chosen);
  return true;
}

TGstStreamLinker::TSubtitleChange TGstStreamLinker::ChooseNextSubtitle() {
  std::lock_guard<std::mutex> guard(Lock);
  std::vector<GstPad*> inputs;
  for (const TChoice& choice : SubtitleChoices)
    if (choice.Input) inputs.push_back(choice.Input.get());
  if (!Selector || inputs.empty()) return TSubtitleChange::Unchanged;
  const gsthandles::PadPtr selected = SelectedInput();
  GstPad* next = nullptr;
  if (NoSubtitle) {
    // After none, the first again.
    NoSubtitle = false;
    next = inputs.front();
  } else {
    const auto at = std::find(inputs.begin(), inputs.end(), selected.get());
    if (at != inputs.end() && at + 1 != inputs.end()) next = *(at + 1);
    NoSubtitle = next == nullptr;
  }
  ApplySubtitlesShown();
  if (next == nullptr || next == selected.get()) return TSubtitleChange::Redraw;
  // The stream passed on until now may be waiting in the overlay for its
  // text's time to pass; a flush of the overlay's input lets it go, or it
  // would hold up its demuxer's next seek, no longer passed on.
  const gsthandles::PadPtr text(gst_element_get_static_pad(Subtitles.get(), "subtitle_sink"));
  gst_pad_send_event(text.get(), gst_event_new_flush_start());
  g_object_set(Selector.get(), "active-pad", next, nullptr);
  gst_pad_send_event(text.get(), gst_event_new_flush_stop(FALSE));
  return TSubtitleChange::Switched;
}

gsthandles::PadPtr TGstStreamLinker::SelectedInput() const {
  GstPad* active = nullptr;
  if (Selector) g_object_get(Selector.get(), "active-pad", &active, nullptr);
  return gsthandles::PadPtr(active);
}

void TGstStreamLinker::LinkSubtitleChoices() {
  if (!Subtitles) return;
  if (!Selector) {
    GstElement* selector = gst_element_factory_make("input-selector", nullptr);
    if (selector == nullptr) return;
    Selector.reset(GST_ELEMENT(gst_object_ref_sink(selector)));
    // A stream not chosen is dropped at once: waiting for the chosen one's
    // time would hold up its demuxer. A change of stream seeks, so that the
    // new one's text of the moment comes again.
    g_object_set(selector, "sync-streams", FALSE, nullptr);
    gst_bin_add(GST_BIN(Pipeline), selector);
    const gsthandles::PadPtr exit(gst_element_get_static_pad(selector, "src"));
    const gsthandles::PadPtr overlay(gst_element_get_static_pad(Subtitles.get(), "subtitle_sink"));
    if (gst_pad_link(exit.get(), overlay.get()) != GST_PAD_LINK_OK)
      PostError(Pipeline, "A decoded stream could not be linked.");
    gst_element_sync_state_with_parent(selector);
  }
  // The streams of a decoder that has gone (the next part of a chained
  // file) give their inputs back.
  std::erase_if(SubtitleChoices, [this](TChoice& choice) {
    if (!choice.Input || gst_pad_is_linked(choice.Pad.get())) return false;
    gst_element_release_request_pad(Selector.get(), choice.Input.get());
    return true;
  });
  for (TChoice& choice : SubtitleChoices) {
    // A subtitle file joins once the file's own streams, which come before
    // it, are all there: the first of those, not the file, is shown first.
    if (choice.Input || (choice.FromFile && !DecoderDone)) continue;
    choice.Input.reset(gst_element_request_pad_simple(Selector.get(), "sink_%u"));
    if (!choice.Input || gst_pad_link(choice.Pad.get(), choice.Input.get()) != GST_PAD_LINK_OK) {
      choice.Input.reset();
      continue;
    }
    Release(choice);
  }
  if (!SelectedInput()) {
    const auto first = std::find_if(SubtitleChoices.begin(), SubtitleChoices.end(),
                                    [](const TChoice& choice) { return choice.Input != nullptr; });
    if (first != SubtitleChoices.end()) g_object_set(Selector.get(), "active-pad", first->Input.get(), nullptr);
  }
}

void TGstStreamLinker::AllStreamsLinked() {
  std::lock_guard<std::mutex> guard(Lock);
  DecoderDone = true;
  if (Subtitles) return LinkSubtitleChoices();
  // No pictures came: a subtitle file held for them has nothing to go with.
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
  // Every sound and subtitle stream can be chosen later; the file's own
  // subtitle streams come before a subtitle file's.
  TChoice* choice = nullptr;
  if (sound || subtitles) {
    std::vector<TChoice>& choices = sound ? Sounds : SubtitleChoices;
    auto at = choices.end();
    if (!fromFile) at = std::find_if(choices.begin(), choices.end(), [](const TChoice& c) { return c.FromFile; });
    at = choices.insert(at, TChoice{gsthandles::PadPtr(GST_PAD(gst_object_ref(pad))), 0, fromFile, nullptr});
    choice = &*at;
  }
  if (subtitles && Subtitles) {
    // Into the selector in front of the overlay.
    Drop(*choice);
    LinkSubtitleChoices();
    return;
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
    TChoice other{gsthandles::PadPtr(GST_PAD(gst_object_ref(pad))), 0, false, nullptr};
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
  // Subtitle streams that came before the pictures go to the new overlay.
  if (pictures && !SubtitleChoices.empty()) LinkSubtitleChoices();
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
