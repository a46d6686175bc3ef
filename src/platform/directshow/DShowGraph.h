#pragma once
// A filter graph on DirectShow: the graph manager renders the whole file into
// the legacy Video Renderer and the default sound renderer; its events reach
// the window thread through a message-only window of the graph's own.
#include <windows.h>
#include <dshow.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "platform/directshow/DShowCom.h"
#include "platform/directshow/DShowEventWindow.h"
#include "player/GraphTimeline.h"
#include "player/MediaGraph.h"

namespace mova {

struct TDShowGraphOptions {
  // How long RenderFile waits for the file to be cued before it gives up.
  std::chrono::milliseconds CueTimeout{5000};
};

class TDShowGraph final : public IMediaGraph {
 public:
  // A new graph, or nullptr when the graph manager cannot be created. COM
  // must be initialised on the calling (window) thread.
  static std::unique_ptr<TDShowGraph> Create(TDShowGraphOptions options = {});
  ~TDShowGraph() override;
  TDShowGraph(const TDShowGraph&) = delete;
  TDShowGraph& operator=(const TDShowGraph&) = delete;

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

 private:
  explicit TDShowGraph(TDShowGraphOptions options);
  bool AddVideoRenderer();
  void DropUnconnectedRenderer();
  bool Cue();
  // StopWhenReady, waited for until the graph has stopped.
  void CueAndStop();
  // Takes the graph's queued events; true when one of them told of the end.
  bool DrainEvents();
  void OnGraphNotify();
  // What the graph says of its position now, if anything.
  std::optional<int64_t> ReportedPosition();

  TDShowGraphOptions Options;
  dshow::TComPtr<IGraphBuilder> GraphBuilder;
  dshow::TComPtr<IMediaControl> MediaControl;
  dshow::TComPtr<IMediaSeeking> MediaSeeking;
  dshow::TComPtr<IMediaEventEx> MediaEvent;
  dshow::TComPtr<IVideoWindow> VideoWindow;
  dshow::TComPtr<IBasicVideo> BasicVideo;
  dshow::TComPtr<IBasicAudio> BasicAudio;
  dshow::TComPtr<IBaseFilter> VideoRenderer;  // until RenderFile has placed it
  std::unique_ptr<dshow::TDShowEventWindow> Events;
  std::function<void()> EndOfStreamHandler;

  // The state last asked of the graph.
  enum class TRequested { Stopped, Paused, Running };
  TRequested Requested = TRequested::Stopped;
  bool RenderCalled = false;
  bool Rendered = false;
  bool HasVideo = false;
  TStreamFacts Facts;  // read once the file is rendered
  // Position, length and end, fed from IMediaSeeking and the graph's events.
  TGraphTimeline Timeline;
  WindowHandle Owner = 0;
  RECT Placed{0, 0, 0, 0};  // the video window's last place in the owner
  // Operations that run a message loop of their own (the property frame)
  // hold back the end notification until they return.
  int Busy = 0;
  bool NotifyHeldBack = false;
};

}  // namespace mova
