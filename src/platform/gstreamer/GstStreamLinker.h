#pragma once
// What a graph puts behind the decoder's pads: the first picture stream goes
// through a one-picture queue, the deinterlacer, the turn its orientation tag
// asks for (a phone's upright video), the subtitle overlay, the
// colour balance and a format converter to the frame sink; the first
// subtitle stream into that overlay; the first sound stream through format
// and rate converters and the volume to the sound output; every other stream
// (a second soundtrack, a second subtitle stream) is dropped where it leaves
// the decoder, until the user chooses it instead.
// When a stream's decoder goes away (the next part of a chained file), the
// next stream of its kind takes its place in the chain.
#include <gst/gst.h>

#include <mutex>
#include <vector>

#include "platform/gstreamer/GstHandles.h"

namespace mova {

class TGstStreamLinker {
 public:
  // Takes a reference to each sink; `pipeline` must outlive the linker's use.
  TGstStreamLinker(GstElement* pipeline, GstElement* videoSink, GstElement* audioSink);

  // Links a new decoded pad. Called by the decoder on a streaming thread.
  void Link(GstPad* pad);

  // The picture stream's format as it is shown (turned as its orientation
  // says) once it is linked and negotiated, else null.
  gsthandles::CapsPtr VideoCaps() const;
  // The decoder's pad of the picture or the sound stream being played; null
  // while there is none.
  gsthandles::PadPtr DecodedVideo() const;
  gsthandles::PadPtr DecodedAudio() const;

  // The linear volume of the sound stream, kept for one linked later.
  void SetVolume(double linear);

  // Links the next sound stream in place of the one linked (the others are
  // dropped; the caller seeks to where it is so that the new one joins in
  // time); for subtitles, draws the linked stream or none, in turn. False
  // when there is nothing to change to.
  bool LinkNext(bool sound);
  // Subtitles drawn or not; and their letters' size for the picture's.
  void SetSubtitlesVisible(bool visible);
  void SetSubtitleSize(int pictureWidth, int pictureHeight);
  // A pad of a subtitle file's decoder: it comes after the file's own
  // subtitle streams.
  void LinkSubtitleFile(GstPad* pad);
  // The file's decoder has added its last pad.
  void AllStreamsLinked();

 private:
  // A stream that can be chosen: linked to its chain, or dropped.
  struct TChoice {
    gsthandles::PadPtr Pad;
    gulong Probe = 0;  // while dropped or held back; 0 while linked
    bool FromFile = false;
  };
  void LinkChain(GstPad* pad, const GstCaps* caps, bool fromFile);
  gsthandles::PadPtr EntryOf(bool sound) const;
  void Drop(TChoice& choice);
  // Holds a subtitle stream back until there is an overlay to show it.
  void Hold(TChoice& choice);
  void Release(TChoice& choice);
  void ApplySubtitlesShown();

  GstElement* Pipeline;
  mutable std::mutex Lock;
  gsthandles::ElementPtr VideoSink;  // until the picture stream takes it
  gsthandles::ElementPtr AudioSink;  // until the sound stream takes it
  gsthandles::PadPtr VideoPad;       // where the picture stream enters its chain
  gsthandles::PadPtr AudioPad;       // where the sound stream enters its chain
  gsthandles::PadPtr ShownPad;       // the frame sink's input
  gsthandles::ElementPtr Volume;
  gsthandles::ElementPtr Subtitles;  // the picture chain's subtitle overlay
  double LinearVolume = 1.0;
  std::vector<TChoice> Sounds;     // every sound stream, in the order they came
  bool SubtitlesVisible = true;
  bool NoSubtitle = false;
  bool DecoderDone = false;  // the file's decoder has added all its pads  // "none" chosen: the linked stream is not drawn
  std::vector<TChoice> SubtitleChoices;  // every subtitle stream, the file's own first
};

}  // namespace mova
