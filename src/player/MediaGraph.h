#pragma once
// The media seam: what the playback engine relies on from a media framework.
// The GStreamer backend implements it for real files; tests use a fake graph.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/WindowHandle.h"
#include "player/FrameDetector.h"

namespace mova {

// One element of a graph, as the filter menu lists it.
struct TFilterInfo {
  std::string Name;          // at most 128 characters
  bool HasSettings = false;  // a user can change at least one of its properties
};

// What the decoded streams of a file say of themselves: the formats for the
// status bar of a file without AVI headers, and the picture's pixel shape.
struct TStreamFacts {
  // The first sound stream: its WAVE format tag (1 PCM, 0x55 MP3, 0xFF AAC,
  // ...; 0 unknown), channels, samples and bytes per second (0 unknown).
  uint16_t AudioTag = 0;
  uint16_t Channels = 0;
  uint32_t SamplesPerSecond = 0;
  uint32_t BytesPerSecond = 0;
  // The picture's compression as a four-character code ("H264", "VP90");
  // empty when unknown, and for a file whose picture is its cover.
  std::string VideoCode;
  // Width : height of one pixel of the picture as shown; 0 : 0 when the
  // stream states none.
  int32_t PixelWidth = 0;
  int32_t PixelHeight = 0;
  // The picture is shown a quarter turn from how it is stored (a phone's
  // upright video): width and height are swapped against the stored ones.
  bool QuarterTurn = false;
  // The file's title tag; empty without one.
  std::string Title = "";
  // The picture is the file's cover (a picture tag of its sound), not a
  // stream of pictures.
  bool Cover = false;
};

// The kinds of stream a user can choose between.
enum class TStreamKind : uint8_t { Sound, Subtitle };

// A filter graph for one media file. Times are media time: 64-bit, 100-ns units.
// All operations are called on the window thread.
class IMediaGraph {
 public:
  virtual ~IMediaGraph() = default;

  // Builds the graph for the whole file and cues it (paused on the first
  // frame). True only when every stream of the file can be decoded and
  // rendered and the cue completed in bounded time; false on a stream without
  // a decoder, an error or a time-out. Called once per graph.
  virtual bool RenderFile(const std::string& fileName) = 0;

  // The video window: a child of `owner` (0 detaches it) that shows the
  // decoded frames; mouse input over it reaches the owner. A graph with video
  // shows its window once it has an owner, until SetVideoVisible(false).
  virtual void SetVideoOwner(WindowHandle owner) = 0;
  virtual void SetVideoVisible(bool visible) = 0;
  // Places the video window in the owner's client coordinates; 0 on success.
  virtual int32_t SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) = 0;

  // The native video size as shown: turned and flipped as the stream's
  // orientation says, not corrected for the pixel aspect. An audio file's
  // cover picture, which the graph then shows, counts as its video.
  // False, with the outputs untouched, when the graph has no video.
  virtual bool GetVideoSize(int32_t& width, int32_t& height) = 0;
  // What the streams say of their formats; all unknown before a render.
  virtual TStreamFacts GetStreamFacts() = 0;
  // Average seconds per frame; false when unknown.
  virtual bool GetAvgTimePerFrame(double& seconds) = 0;
  // Length of the media; false when unknown.
  virtual bool GetDuration(int64_t& duration) = 0;
  // True while the length is only the framework's estimate: it was not known
  // when the file was cued (a raw stream, a file without an index) or it has
  // changed since. GetDuration then answers the latest estimate, or false
  // while there is none. Once the stream has played to its end the length is
  // exact, the position where it ended, and this is false.
  virtual bool DurationIsEstimate() = 0;
  // The current position, counted from the stream's first time stamp (a
  // transport stream's first picture may carry 1.4 s); equal to the duration once the stream has ended,
  // and after a seek to or past the end, until the next seek.
  virtual int64_t GetCurrentPosition() = 0;
  // Absolute seek; a negative time counts as 0. The stop position is left as
  // it was. Reading the position right after it gives the new position.
  virtual void SetPosition(int64_t position) = 0;

  // Start, pause and stop of the whole graph. None of them moves the
  // position; a stopped graph keeps showing its last picture.
  virtual void Run() = 0;
  virtual void Pause() = 0;
  virtual void Stop() = 0;
  // Cues the frame at the current position, then stays stopped.
  virtual void StopWhenReady() = 0;

  // Volume in hundredths of a decibel: 0 full, -10000 silent.
  virtual void SetVolume(int32_t volume) = 0;

  // Playback rate, 1 normal, between TGraphTimeline's MinRate and MaxRate;
  // the sound keeps its pitch where the framework can. Positions stay in
  // media time. False when the graph cannot play at it (it then keeps its
  // rate).
  virtual bool SetRate(double rate) = 0;
  // Shows the picture after (`forward`) or before the current one and stays
  // paused; the position moves by one picture. False without a picture
  // stream or when there is no such picture.
  virtual bool StepFrame(bool forward) = 0;
  // Plays the next sound stream of the file instead of the current one, in
  // turn; for subtitles, the next of the subtitle streams the graph can
  // show, then none, in turn (a graph that can show only one goes between it
  // and none). The position stays. False when there is nothing to change to.
  virtual bool NextStream(TStreamKind kind) = 0;
  // Whether subtitles are drawn over the picture (they are, at first).
  virtual void SetSubtitlesVisible(bool visible) = 0;
  // A subtitle file (.srt, .ass, .ssa, .vtt) to show over the picture, given
  // before RenderFile; it comes after the file's own subtitle streams.
  virtual void SetSubtitleFile(const std::string& fileName) = 0;

  // The graph's elements, recursively, in the same order on every call.
  virtual std::vector<TFilterInfo> EnumFilters() = 0;

  // Opens the settings dialog of the first element, in EnumFilters order,
  // whose name equals `name` (case-sensitive) and that has settings: modal,
  // owned by `owner`, captioned with the name, each change applied to the
  // running element at once. Returns when the user has closed it; does
  // nothing when no element matches.
  virtual void ShowFilterSettings(const std::string& name, WindowHandle owner) = 0;

  // `handler` is called on the window thread, from the event loop (never from
  // inside one of this graph's operations), each time the stream has played
  // to its end, unless a seek has left that end since; never after the graph
  // is destroyed. By then
  // GetCurrentPosition already reports the duration. Without it an end that
  // no timer tick asks about would go unnoticed.
  virtual void SetEndOfStreamHandler(std::function<void()> handler) = 0;
};

// Creates graphs. The engine holds one platform for its whole life.
class IMediaPlatform {
 public:
  virtual ~IMediaPlatform() = default;
  // A new, empty graph; nullptr when none can be created.
  virtual std::unique_ptr<IMediaGraph> CreateGraph() = 0;
  // A new frame detector for one capture; nullptr when none can be created.
  virtual std::unique_ptr<IFrameDetector> CreateFrameDetector() = 0;
  // The picture as the bytes of a PNG file; false when it cannot be encoded.
  virtual bool EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) = 0;
};

}  // namespace mova
