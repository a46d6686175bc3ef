#include "platform/directshow/DShowGraph.h"

#include <evcode.h>

#include <algorithm>

#include "platform/directshow/DShowFilters.h"
#include "platform/directshow/DShowStreamFacts.h"

namespace mova {

namespace {

using dshow::TComPtr;

// True when the filter's first input pin is connected.
bool InputConnected(IBaseFilter* filter) {
  TComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return false;
  for (;;) {
    TComPtr<IPin> pin;
    if (pins->Next(1, pin.Put(), nullptr) != S_OK || !pin) return false;
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_INPUT) continue;
    TComPtr<IPin> peer;
    return SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer;
  }
}

}  // namespace

std::unique_ptr<TDShowGraph> TDShowGraph::Create(TDShowGraphOptions options) {
  std::unique_ptr<TDShowGraph> graph(new TDShowGraph(options));
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                              graph->GraphBuilder.PutVoid())) ||
      !graph->GraphBuilder) {
    return nullptr;
  }
  return graph;
}

TDShowGraph::TDShowGraph(TDShowGraphOptions options) : Options(options) {}

TDShowGraph::~TDShowGraph() {
  // No notification may arrive once the graph is gone: the graph stops
  // posting first, then the window that received them goes.
  if (MediaEvent) MediaEvent->SetNotifyWindow(0, 0, 0);
  Events.reset();
  if (MediaControl) MediaControl->Stop();
  if (VideoWindow) {
    VideoWindow->put_Visible(OAFALSE);
    VideoWindow->put_Owner(0);
  }
  MediaControl.Reset();
  VideoWindow.Reset();
  MediaSeeking.Reset();
  BasicVideo.Reset();
  BasicAudio.Reset();
  MediaEvent.Reset();
  VideoRenderer.Reset();
  GraphBuilder.Reset();
}

bool TDShowGraph::AddVideoRenderer() {
  // The default windowed renderer shows no picture as a child window under
  // Wine; the legacy Video Renderer does everywhere. Placed in the graph
  // before the render, it is the one the graph manager connects.
  if (FAILED(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              VideoRenderer.PutVoid())) ||
      !VideoRenderer) {
    return false;
  }
  if (FAILED(GraphBuilder->AddFilter(VideoRenderer.Get(), L"Video Renderer"))) {
    VideoRenderer.Reset();
    return false;
  }
  return true;
}

void TDShowGraph::DropUnconnectedRenderer() {
  if (!VideoRenderer) {
    // Rendered into whatever renderer the graph chose, if any.
    TComPtr<IBasicVideo> video;
    long width = 0;
    long height = 0;
    HasVideo = SUCCEEDED(GraphBuilder.Query(IID_IBasicVideo, video)) && SUCCEEDED(video->GetVideoSize(&width, &height));
    return;
  }
  HasVideo = InputConnected(VideoRenderer.Get());
  // A renderer left unconnected (a file without video) would answer the
  // video interfaces as if there were a picture, and fault on them.
  if (!HasVideo) GraphBuilder->RemoveFilter(VideoRenderer.Get());
  VideoRenderer.Reset();
}

bool TDShowGraph::RenderFile(const std::string& fileName) {
  if (RenderCalled) return Rendered;
  RenderCalled = true;
  const std::wstring wide = dshow::WideFromAnsi(fileName);
  if (wide.empty()) return false;

  AddVideoRenderer();
  // Only a whole render counts: a file of which a stream could not be
  // rendered (VFW_S_PARTIAL_RENDER and its kin are success codes) cannot play.
  const HRESULT rendered = GraphBuilder->RenderFile(wide.c_str(), nullptr);
  DropUnconnectedRenderer();
  if (rendered != S_OK) return false;

  if (FAILED(GraphBuilder.Query(IID_IMediaControl, MediaControl)) ||
      FAILED(GraphBuilder.Query(IID_IMediaSeeking, MediaSeeking)) ||
      FAILED(GraphBuilder.Query(IID_IMediaEventEx, MediaEvent))) {
    return false;
  }
  if (HasVideo) {
    if (FAILED(GraphBuilder.Query(IID_IVideoWindow, VideoWindow)) ||
        FAILED(GraphBuilder.Query(IID_IBasicVideo, BasicVideo))) {
      return false;
    }
    // The window appears only once it has an owner, never as a window of
    // its own while the file is cued.
    VideoWindow->put_AutoShow(OAFALSE);
  }
  GraphBuilder.Query(IID_IBasicAudio, BasicAudio);  // absent without sound
  Facts = dshow::ReadStreamFacts(GraphBuilder.Get());

  MediaSeeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  // The splitters know the length when the file is rendered.
  LONGLONG duration = 0;
  const bool hasDuration = SUCCEEDED(MediaSeeking->GetDuration(&duration)) && duration >= 0;
  Timeline.Cued(hasDuration ? std::optional<int64_t>(duration) : std::nullopt);

  Events = std::make_unique<dshow::TDShowEventWindow>([this] { OnGraphNotify(); });
  if (Events->Handle() != nullptr) {
    MediaEvent->SetNotifyWindow(reinterpret_cast<OAHWND>(Events->Handle()), dshow::TDShowEventWindow::NotifyMessage, 0);
  }

  if (!Cue()) {
    Stop();
    return false;
  }
  Rendered = true;
  return true;
}

bool TDShowGraph::Cue() {
  const HRESULT hr = MediaControl->Pause();
  if (FAILED(hr)) return false;
  Requested = TRequested::Paused;
  return dshow::WaitForState(MediaControl.Get(), State_Paused, Options.CueTimeout);
}

void TDShowGraph::SetVideoOwner(WindowHandle owner) {
  Owner = owner;
  if (!VideoWindow) return;
  if (owner == 0) {
    VideoWindow->put_Visible(OAFALSE);
    VideoWindow->put_Owner(0);
    return;
  }
  const OAHWND window = static_cast<OAHWND>(owner);
  VideoWindow->put_Owner(window);
  VideoWindow->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
  // Mouse and keyboard input over the picture goes to the owner.
  VideoWindow->put_MessageDrain(window);
  VideoWindow->put_Visible(OATRUE);
}

void TDShowGraph::SetVideoVisible(bool visible) {
  if (!VideoWindow) return;
  // Without an owner the window would show as a window of its own.
  VideoWindow->put_Visible(visible && Owner != 0 ? OATRUE : OAFALSE);
}

int32_t TDShowGraph::SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!VideoWindow) return static_cast<int32_t>(E_NOINTERFACE);
  const HRESULT placed = VideoWindow->SetWindowPosition(left, top, width, height);
  const RECT place{left, top, left + width, top + height};
  if (SUCCEEDED(placed) && !EqualRect(&place, &Placed)) {
    Placed = place;
    // Wine's renderer draws a picture only as it arrives, never again on a
    // move or resize: a graph that stands still cues its frame once more.
    if (Requested == TRequested::Paused) SetPosition(GetCurrentPosition());
    if (Requested == TRequested::Stopped && Rendered && !Timeline.Ended()) CueAndStop();
  }
  return static_cast<int32_t>(placed);
}

bool TDShowGraph::GetVideoSize(int32_t& width, int32_t& height) {
  if (!HasVideo || !BasicVideo) return false;
  long w = 0;
  long h = 0;
  if (FAILED(BasicVideo->GetVideoSize(&w, &h)) || w <= 0 || h <= 0) return false;
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return true;
}

TStreamFacts TDShowGraph::GetStreamFacts() { return Facts; }

bool TDShowGraph::GetAvgTimePerFrame(double& seconds) {
  if (!HasVideo || !BasicVideo) return false;
  REFTIME frameTime = 0.0;
  if (FAILED(BasicVideo->get_AvgTimePerFrame(&frameTime)) || !(frameTime > 0.0)) return false;
  seconds = frameTime;
  return true;
}

bool TDShowGraph::GetDuration(int64_t& duration) {
  LONGLONG estimate = 0;
  if (Timeline.LengthIsEstimate() && MediaSeeking && SUCCEEDED(MediaSeeking->GetDuration(&estimate)) && estimate >= 0)
    Timeline.Estimate(estimate);
  if (!Timeline.HasLength()) return false;
  duration = Timeline.Length();
  return true;
}

bool TDShowGraph::DurationIsEstimate() { return Timeline.LengthIsEstimate(); }

std::optional<int64_t> TDShowGraph::ReportedPosition() {
  LONGLONG position = 0;
  if (!MediaSeeking || FAILED(MediaSeeking->GetCurrentPosition(&position))) return std::nullopt;
  // It may pass the duration until the graph completes; the timeline keeps it within.
  return position;
}

int64_t TDShowGraph::GetCurrentPosition() {
  if (!MediaSeeking) return 0;
  return Timeline.Position(Timeline.FollowsFramework() ? ReportedPosition() : std::nullopt);
}

void TDShowGraph::SetPosition(int64_t position) {
  if (!MediaSeeking || !MediaControl) return;
  LONGLONG current = Timeline.SeekTarget(position);
  // Under Wine a seek while the graph runs or is paused can lose the sound
  // stream's end: the graph then never completes and hangs when it is next
  // stopped. Seeking the stopped graph and restoring its state is safe
  // everywhere.
  const TRequested was = Requested;
  if (was != TRequested::Stopped) MediaControl->Stop();
  LONGLONG stop = 0;
  MediaSeeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_NoPositioning);
  // An end queued before the seek belongs to the position left behind.
  DrainEvents();
  Timeline.Sought(current);
  if (was == TRequested::Paused) MediaControl->Pause();
  if (was == TRequested::Running) MediaControl->Run();
}

void TDShowGraph::Run() {
  if (!MediaControl) return;
  MediaControl->Run();
  Requested = TRequested::Running;
  Timeline.Resumed();
}

void TDShowGraph::Pause() {
  if (!MediaControl) return;
  MediaControl->Pause();
  Requested = TRequested::Paused;
  Timeline.Resumed();
}

void TDShowGraph::Stop() {
  if (!MediaControl) return;
  const int64_t position = GetCurrentPosition();
  MediaControl->Stop();
  Requested = TRequested::Stopped;
  // Wine's graph reads the position as the start once it is stopped; the
  // position it was stopped at holds until the next seek.
  Timeline.Stopped(position);
}

void TDShowGraph::StopWhenReady() {
  if (!MediaControl) return;
  // Cues the frame at the position, then stops by itself.
  CueAndStop();
  Requested = TRequested::Stopped;
}

void TDShowGraph::CueAndStop() {
  MediaControl->StopWhenReady();
  // Wine cues and then stops the graph on a thread of its own, holding the
  // graph meanwhile; a seek while that stop runs deadlocks its parser. So the
  // stop is waited for (within the cue's time) before anything else is asked.
  const auto deadline = std::chrono::steady_clock::now() + Options.CueTimeout;
  while (!dshow::WaitForState(MediaControl.Get(), State_Stopped, std::chrono::milliseconds(100)) &&
         std::chrono::steady_clock::now() < deadline) {
    Sleep(10);
  }
}

void TDShowGraph::SetVolume(int32_t volume) {
  if (BasicAudio) BasicAudio->put_Volume(std::clamp<long>(volume, -10000, 0));
}

bool TDShowGraph::SetRate(double rate) {
  if (!Rendered || !MediaSeeking) return false;
  const double kept = std::clamp(rate, TGraphTimeline::MinRate, TGraphTimeline::MaxRate);
  if (FAILED(MediaSeeking->SetRate(kept))) return false;
  Timeline.SetRate(kept);
  return true;
}

bool TDShowGraph::StepFrame(bool forward) {
  // Stepped by an exact seek of one picture's time: IVideoFrameStep is not
  // there under Wine, and a seek goes back as well as forward.
  if (!Rendered || !HasVideo || !MediaControl) return false;
  double seconds = 0.0;
  if (!GetAvgTimePerFrame(seconds)) seconds = 0.04;
  const auto frame = static_cast<int64_t>(seconds * 10'000'000);
  if (forward && Timeline.Ended()) return false;
  Pause();
  SetPosition(GetCurrentPosition() + (forward ? frame : -frame));
  return true;
}

bool TDShowGraph::NextStream(TStreamKind kind) {
  if (!Rendered || kind != TStreamKind::Sound) return false;
  return dshow::SelectNextSoundStream(GraphBuilder.Get());
}

// DirectShow draws no subtitles of its own.
void TDShowGraph::SetSubtitlesVisible(bool) {}
void TDShowGraph::SetSubtitleFile(const std::string&) {}

std::vector<TFilterInfo> TDShowGraph::EnumFilters() { return dshow::ListFilters(GraphBuilder.Get()); }

void TDShowGraph::ShowFilterSettings(const std::string& name, WindowHandle owner) {
  if (!Rendered) return;
  // The property frame runs a message loop: an end notified meanwhile waits
  // until the frame has closed.
  ++Busy;
  dshow::ShowFilterPages(GraphBuilder.Get(), name, reinterpret_cast<HWND>(owner));
  --Busy;
  if (Busy == 0 && NotifyHeldBack) {
    NotifyHeldBack = false;
    if (Events) Events->Repost();
  }
}

void TDShowGraph::SetEndOfStreamHandler(std::function<void()> handler) { EndOfStreamHandler = std::move(handler); }

bool TDShowGraph::DrainEvents() {
  if (!MediaEvent) return false;
  bool ended = false;
  long code = 0;
  LONG_PTR first = 0;
  LONG_PTR second = 0;
  while (MediaEvent->GetEvent(&code, &first, &second, 0) == S_OK) {
    MediaEvent->FreeEventParams(code, first, second);
    if (code == EC_COMPLETE) ended = true;
  }
  return ended;
}

void TDShowGraph::OnGraphNotify() {
  if (Busy > 0) {
    NotifyHeldBack = true;
    return;
  }
  if (!DrainEvents() || !Timeline.EndReached(ReportedPosition())) return;
  // The handler may destroy this graph: it runs last, from a copy.
  const std::function<void()> handler = EndOfStreamHandler;
  if (handler) handler();
}

}  // namespace mova
