#pragma once
// A filter graph on GStreamer: a decoder bin reads the file, the stream
// linker plays what it decodes, an appsink hands the decoded pictures to the
// video widget, and the bus tells of the end.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/gstreamer/GstHandles.h"
#include "platform/gstreamer/GstStreamLinker.h"
#include "platform/gstreamer/GstVideoWidget.h"
#include "player/GraphTimeline.h"
#include "player/MediaGraph.h"

namespace mova {

struct TGstGraphOptions {
  // How long RenderFile waits for the file to be cued before it gives up.
  std::chrono::milliseconds CueTimeout{5000};
  // Plays the sound into a fake sink that keeps the clock, as on a machine
  // without a sound device.
  bool SilentAudio = false;
};

// The pipeline's linear volume for hundredths of a decibel: 0 is full
// volume, -10000 and below silence; gains above full volume are not offered.
double LinearVolume(int32_t volume);

// Lives on the window thread and needs a running Qt event loop for the end
// notification and for new pictures to be painted.
class TGstMediaGraph final : public QObject, public IMediaGraph {
  Q_OBJECT
 public:
  explicit TGstMediaGraph(TGstGraphOptions options = {});
  ~TGstMediaGraph() override;

  bool RenderFile(const std::string& fileName) override;
  void SetVideoOwner(WindowHandle owner) override;
  void SetVideoVisible(bool visible) override;
  int32_t SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) override;
  bool GetVideoSize(int32_t& width, int32_t& height) override;
  bool GetAvgTimePerFrame(double& seconds) override;
  TStreamFacts GetStreamFacts() override;
  bool GetDuration(int64_t& duration) override;
  bool DurationIsEstimate() override;
  int64_t GetCurrentPosition() override;
  void SetPosition(int64_t position) override;
  void Run() override;
  void Pause() override;
  void Stop() override;
  void StopWhenReady() override;
  void SetVolume(int32_t volume) override;
  bool SetRate(double rate) override;
  bool StepFrame(bool forward) override;
  bool NextStream(TStreamKind kind) override;
  void SetSubtitlesVisible(bool visible) override;
  void SetSubtitleFile(const std::string& fileName) override;
  std::vector<TFilterInfo> EnumFilters() override;
  void ShowFilterSettings(const std::string& name, WindowHandle owner) override;
  void SetEndOfStreamHandler(std::function<void()> handler) override;

  // The video window while the graph has an owner; for tests.
  QWidget* VideoWidget() const { return Widget.data(); }
  // The newest decoded picture as the video window would draw it when it
  // cannot paint straight into its back buffer (null before the first); for tests.
  QImage NewestFrame() const;

 private:
  // Asks the video window to paint the newest picture; queued from the
  // streaming threads to the window thread by name, so that nothing of the
  // request is built on the streaming thread.
  Q_INVOKABLE void RepaintVideo();
  void ReadStreamFacts();
  // Draws the paused picture again (after a change of its subtitles).
  void RedrawPaused();
  // Makes the pipeline of the file at `uri`, with its bus; false when an
  // element is missing.
  bool BuildPipeline(const char* uri);
  // Adds the decoder of the subtitle file, if any, beside the file's.
  void AddSubtitleFile(GstElement* pipeline);
  // Shows the cover picture that came with the sound, when there is no
  // picture stream; false without one.
  bool ShowCover();
  // The file's title tag; empty without one.
  std::string TitleTag() const;
  // What the pipeline says of its position (from the stream's first time
  // stamp) and length now, if anything.
  std::optional<int64_t> QueryPosition() const;
  std::optional<int64_t> QueryDuration() const;
  // A length from the share of the file read so far, for a stream whose
  // framework has no estimate of its own (a raw MJPEG stream).
  std::optional<int64_t> EstimateFromBytes() const;
  void DrainBus();
  void HandleMessage(GstMessage* message);
  void EndStream();
  void TakeFrame(GstSample* sample);
  static GstFlowReturn OnNewPreroll(GstAppSink* sink, gpointer self);
  static GstFlowReturn OnNewSample(GstAppSink* sink, gpointer self);

  TGstGraphOptions Options;
  // Used by the pipeline's threads until it stops, so it outlives it.
  std::unique_ptr<TGstStreamLinker> Streams;
  gsthandles::ElementPtr Pipeline;
  double Volume = 1.0;  // linear; set before a file is rendered, handed to Streams then
  gsthandles::BusPtr Bus;
  std::unique_ptr<QSocketNotifier> BusNotifier;
  std::shared_ptr<TFrameSlot> Frames = std::make_shared<TFrameSlot>();
  QPointer<TGstVideoWidget> Widget;
  std::function<void()> EndOfStreamHandler;
  // Dies with the graph, so an end notification queued for later can tell
  // that its graph is gone.
  std::shared_ptr<char> Alive = std::make_shared<char>();

  bool Rendered = false;
  bool HasVideo = false;
  int32_t Width = 0;
  int32_t Height = 0;
  double FrameTime = 0.0;
  TStreamFacts Facts;
  GstElement* Decoder = nullptr;    // the pipeline's
  GstElement* VideoSink = nullptr;  // the pipeline's, once it has pictures
  std::string SubtitleFile;
  GstElement* SubtitleDecoder = nullptr;  // the pipeline's, with a subtitle file
  // The framework's time of the first picture or sound (a transport stream's
  // clock does not start at 0): position 0 to the user.
  int64_t Origin = 0;
  // Position, length and end, fed from the pipeline's answers and its bus.
  TGraphTimeline Timeline;
  // A flushing seek the bus has not yet confirmed: until it does (or a while
  // has passed) the pipeline may still report the old position, and an end
  // posted before it belongs to the old one.
  bool SeekPending = false;
  uint32_t SeekSeqnum = GST_SEQNUM_INVALID;
  std::chrono::steady_clock::time_point SeekTime;
};

}  // namespace mova
