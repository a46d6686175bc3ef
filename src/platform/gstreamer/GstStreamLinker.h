#pragma once
// What a graph puts behind the decoder's pads: the first picture stream goes
// through a one-picture queue, the deinterlacer, the turn its orientation tag
// asks for (a phone's upright video), the subtitle overlay, the
// colour balance and a format converter to the frame sink; every subtitle
// stream into a selector in front of that overlay, which passes on the one
// chosen (the first at the start); the first sound stream through format
// and rate converters and the volume to the sound output; every other stream
// (a second soundtrack, a second picture stream) is dropped where it leaves
// the decoder, a soundtrack until the user chooses it instead.
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
  // dropped). False when there is nothing to change to. The caller seeks to
  // where it is so that the new one joins in time.
  bool LinkNextSound();
  // The next subtitle stream is drawn, after the last none, then the first
  // again. `Unchanged` when there is no subtitle stream to choose;
  // `Redraw` when only whether the text is drawn changed; `Switched` when
  // another stream was selected (the caller seeks to where it is, so that
  // the text of the moment shows).
  enum class TSubtitleChange { Unchanged, Redraw, Switched };
  TSubtitleChange ChooseNextSubtitle();
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
    gsthandles::PadPtr Input;  // a subtitle stream's pad of the selector
  };
  void LinkChain(GstPad* pad, const GstCaps* caps, bool fromFile);
  // Puts every subtitle stream into the selector once there is an overlay
  // (a subtitle file's once the file's own streams are all known).
  void LinkSubtitleChoices();
  // The selector's input it passes on, if any.
  gsthandles::PadPtr SelectedInput() const;
  void Drop(TChoice& choice);
  // Holds a subtitle file's stream back until it can join the selector.
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
  gsthandles::ElementPtr Selector;   // in front of the overlay, once a subtitle stream comes
  double LinearVolume = 1.0;
  std::vector<TChoice> Sounds;     // every sound stream, in the order they came
  bool SubtitlesVisible = true;
  bool NoSubtitle = false;   // "none" chosen: the selected stream is not drawn
  bool DecoderDone = false;  // the file's decoder has added all its pads
  std::vector<TChoice> SubtitleChoices;  // every subtitle stream, the file's own first
};

}  // namespace mova
