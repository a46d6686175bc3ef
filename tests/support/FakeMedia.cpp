#include "support/FakeMedia.h"

#include <cstdio>

#include <gtest/gtest.h>

#include <algorithm>

namespace mova::test {

int FakeGraphState::Count(std::string_view call) const {
  return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [call](const std::string& entry) {
    return entry == call || (entry.size() > call.size() && entry.compare(0, call.size(), call) == 0 &&
                             entry[call.size()] == ' ');
  }));
}

void FakeGraphState::EndStream() {
  Position = Duration;
  HasDuration = true;
  DurationEstimate = false;
  if (!Timeline.EndReached(Position)) return;
  if (EndOfStreamHandler) {
    // Copy first: the handler may close the file and so destroy the graph.
    const std::function<void()> handler = EndOfStreamHandler;
    handler();
  }
}

void FakeGraphState::Advance(int64_t time) {
  if (!Running || Destroyed || Timeline.Ended()) return;
  Position += time;
  if (Timeline.HasLength() && !Timeline.LengthIsEstimate() && Position >= Timeline.Length()) {
    Duration = Timeline.Length();
    EndStream();
  }
}

FakeMediaGraph::FakeMediaGraph(std::shared_ptr<FakeGraphState> state) : State(std::move(state)) {}

FakeMediaGraph::~FakeMediaGraph() {
  State->Destroyed = true;
  State->EndOfStreamHandler = nullptr;
}

bool FakeMediaGraph::RenderFile(const std::string& fileName) {
  State->Calls.push_back("RenderFile " + fileName);
  State->RenderedFile = fileName;
  if (State->ScriptFile) State->ScriptFile(fileName, *State);
  if (!State->RenderResult) return false;
  State->Rendered = true;
  State->Timeline.Cued(State->HasDuration ? std::optional<int64_t>(State->Duration) : std::nullopt,
                       State->DurationEstimate);
  return true;
}

void FakeMediaGraph::SetVideoOwner(WindowHandle owner) {
  State->Calls.push_back("SetVideoOwner " + std::to_string(owner));
  State->Owner = owner;
}

void FakeMediaGraph::SetVideoVisible(bool visible) {
  State->Calls.push_back(std::string("SetVideoVisible ") + (visible ? "1" : "0"));
  State->Visible = visible;
}

int32_t FakeMediaGraph::SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) {
  State->Calls.push_back("SetVideoPosition " + std::to_string(left) + " " + std::to_string(top) + " " +
                         std::to_string(width) + " " + std::to_string(height));
  State->Left = left;
  State->Top = top;
  State->WindowWidth = width;
  State->WindowHeight = height;
  return State->PlaceResult;
}

bool FakeMediaGraph::GetVideoSize(int32_t& width, int32_t& height) {
  State->Calls.push_back("GetVideoSize");
  if (!State->HasVideo) return false;
  width = State->Width;
  height = State->Height;
  return true;
}

TStreamFacts FakeMediaGraph::GetStreamFacts() {
  State->Calls.push_back("GetStreamFacts");
  return State->Rendered ? State->Facts : TStreamFacts{};
}

bool FakeMediaGraph::GetAvgTimePerFrame(double& seconds) {
  State->Calls.push_back("GetAvgTimePerFrame");
  if (!State->HasFrameTime) return false;
  seconds = State->FrameTime;
  return true;
}

bool FakeMediaGraph::GetDuration(int64_t& duration) {
  State->Calls.push_back("GetDuration");
  State->Timeline.Estimate(State->HasDuration ? std::optional<int64_t>(State->Duration) : std::nullopt);
  if (!State->Timeline.HasLength()) return false;
  duration = State->Timeline.Length();
  return true;
}

// A question asked with every position read, not recorded: the record
// stays one of what the engine made the graph do.
bool FakeMediaGraph::DurationIsEstimate() { return State->Timeline.LengthIsEstimate(); }

int64_t FakeMediaGraph::GetCurrentPosition() {
  State->Calls.push_back("GetCurrentPosition");
  return State->Rendered ? State->Timeline.Position(State->Position) : 0;
}

void FakeMediaGraph::SetPosition(int64_t position) {
  State->Calls.push_back("SetPosition " + std::to_string(position));
  State->Seeks.push_back(position);
  if (!State->Rendered) return;
  const int64_t target = State->Timeline.SeekTarget(position);
  if (State->SeekMovesPosition) State->Position = target;
  State->Timeline.Sought(target);
}

void FakeMediaGraph::Run() {
  State->Calls.push_back("Run");
  State->Running = true;
  State->Timeline.Resumed();
}

void FakeMediaGraph::Pause() {
  State->Calls.push_back("Pause");
  State->Running = false;
  State->Timeline.Resumed();
}

void FakeMediaGraph::Stop() {
  State->Calls.push_back("Stop");
  State->Running = false;
  State->Timeline.Stopped(State->Position);
}

void FakeMediaGraph::StopWhenReady() {
  State->Calls.push_back("StopWhenReady");
  State->Running = false;
}

void FakeMediaGraph::SetVolume(int32_t volume) {
  State->Calls.push_back("SetVolume " + std::to_string(volume));
  State->Volume = volume;
}

bool FakeMediaGraph::SetRate(double rate) {
  State->Calls.push_back("SetRate " + std::to_string(rate));
  if (!State->Rendered || !State->RateResult) return false;
  State->Rate = State->Timeline.SetRate(rate);
  return true;
}

bool FakeMediaGraph::StepFrame(bool forward) {
  State->Calls.push_back(forward ? "StepFrame forward" : "StepFrame back");
  if (!State->Rendered || !State->StepResult || !State->HasVideo) return false;
  State->Running = false;
  const auto frame = static_cast<int64_t>(State->FrameTime * 10'000'000);
  const int64_t position = State->Timeline.Position(State->Position);
  if (forward) {
    if (State->Timeline.Stepped(frame) && State->EndOfStreamHandler) State->EndOfStreamHandler();
  } else {
    State->Timeline.Sought(State->Timeline.SeekTarget(position - frame));
  }
  State->Position = State->Timeline.Position(std::nullopt);
  return true;
}

bool FakeMediaGraph::NextStream(TStreamKind kind) {
  State->Calls.push_back(kind == TStreamKind::Sound ? "NextStream sound" : "NextStream subtitle");
  return State->Rendered && State->StreamResult;
}

void FakeMediaGraph::SetSubtitlesVisible(bool visible) {
  State->Calls.push_back(visible ? "SetSubtitlesVisible 1" : "SetSubtitlesVisible 0");
  State->SubtitlesVisible = visible;
}

void FakeMediaGraph::SetSubtitleFile(const std::string& fileName) {
  State->Calls.push_back("SetSubtitleFile " + fileName);
  State->SubtitleFile = fileName;
}

std::vector<TFilterInfo> FakeMediaGraph::EnumFilters() {
  State->Calls.push_back("EnumFilters");
  return State->Filters;
}

void FakeMediaGraph::ShowFilterSettings(const std::string& name, WindowHandle owner) {
  State->Calls.push_back("ShowFilterSettings " + name);
  State->SettingsShown.push_back(name + " " + std::to_string(owner));
}

void FakeMediaGraph::SetEndOfStreamHandler(std::function<void()> handler) {
  State->Calls.push_back("SetEndOfStreamHandler");
  State->EndOfStreamHandler = std::move(handler);
}

std::unique_ptr<IMediaGraph> FakeMediaPlatform::CreateGraph() {
  if (FailCreate) return nullptr;
  auto state = std::make_shared<FakeGraphState>(Script);
  state->Calls.clear();
  state->Seeks.clear();
  state->EndOfStreamHandler = nullptr;
  state->Destroyed = false;
  state->Rendered = false;
  state->Running = false;
  state->Timeline = TGraphTimeline();
  Graphs.push_back(state);
  return std::make_unique<FakeMediaGraph>(std::move(state));
}

namespace {

class FakeFrameDetector : public IFrameDetector {
 public:
  explicit FakeFrameDetector(FakeMediaPlatform& platform) : Platform(platform) {}
  bool DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                   TRgbImage& frame) override {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds);
    Platform.DetectorCalls.push_back(fileName + "@" + time + " " + std::to_string(width) + "x" +
                                     std::to_string(height));
    if (!Platform.DetectorResult) return false;
    frame.Width = width;
    frame.Height = height;
    frame.Pixels.clear();
    for (int64_t i = 0; i < int64_t{width} * height; ++i) {
      frame.Pixels.insert(frame.Pixels.end(),
                          {Platform.DetectorRed, Platform.DetectorGreen, Platform.DetectorBlue});
    }
    return true;
  }

 private:
  FakeMediaPlatform& Platform;
};

}  // namespace

bool FakeMediaPlatform::EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) {
  if (!PngResult) return false;
  const std::string head = "PNG " + std::to_string(picture.Width) + "x" + std::to_string(picture.Height) + "\n";
  bytes.assign(head.begin(), head.end());
  bytes.insert(bytes.end(), picture.Pixels.begin(), picture.Pixels.end());
  return true;
}

std::unique_ptr<IFrameDetector> FakeMediaPlatform::CreateFrameDetector() {
  ++DetectorsCreated;
  return std::make_unique<FakeFrameDetector>(*this);
}

FakeGraphState& FakeMediaPlatform::Last() {
  if (Graphs.empty()) {
    ADD_FAILURE() << "no graph was created";
    Graphs.push_back(std::make_shared<FakeGraphState>());
  }
  return *Graphs.back();
}

uint32_t FakeTimerService::StartPeriodic(uint32_t periodMs, std::function<void()> tick) {
  ++Starts;
  if (FailStart) return 0;
  const uint32_t id = NextId++;
  Timers.push_back(Timer{id, periodMs, std::move(tick)});
  return id;
}

void FakeTimerService::Kill(uint32_t id) {
  ++Kills;
  std::erase_if(Timers, [id](const Timer& timer) { return timer.Id == id; });
}

void FakeTimerService::Tick() {
  std::vector<uint32_t> ids;
  for (const Timer& timer : Timers) ids.push_back(timer.Id);
  for (uint32_t id : ids) {
    const auto it = std::find_if(Timers.begin(), Timers.end(), [id](const Timer& timer) { return timer.Id == id; });
    if (it == Timers.end()) continue;
    // Copy: the tick may kill its own timer.
    const std::function<void()> tick = it->TickFn;
    tick();
  }
}

}  // namespace mova::test
