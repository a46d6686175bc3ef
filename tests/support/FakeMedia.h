#pragma once
// In-memory stand-ins for the media graph and the timer service: they record
// what the engine asks and answer what a test scripts.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/TimerService.h"
#include "player/GraphTimeline.h"
#include "player/MediaGraph.h"

namespace mova::test {

// The script and the record of one fake graph. It outlives the graph, so a
// test can still read what happened after the engine closed the file.
struct FakeGraphState {
  // Scripted answers.
  bool RenderResult = true;
  bool HasVideo = true;  // GetVideoSize answers Width x Height, else false
  int32_t Width = 320;
  int32_t Height = 240;
  bool HasFrameTime = true;  // GetAvgTimePerFrame answers FrameTime, else false
  double FrameTime = 0.04;
  // What the framework reports of time; the graph answers the engine from
  // these through the time contract (Timeline), as a real backend does.
  bool HasDuration = true;  // the length at the cue is Duration, else none
  int64_t Duration = 10'000'000;
  bool DurationEstimate = false;  // that length is only an estimate (Duration then is the latest)
  int64_t Position = 0;             // the framework's position
  bool SeekMovesPosition = true;    // SetPosition moves Position to where it seeks
  int32_t PlaceResult = 0;          // what SetVideoPosition answers
  TStreamFacts Facts;               // what GetStreamFacts answers once rendered
  bool RateResult = true;           // what SetRate answers
  bool StepResult = true;           // what StepFrame answers; a step moves Position by FrameTime
  bool StreamResult = true;         // what NextStream answers
  std::vector<TFilterInfo> Filters;  // what EnumFilters answers
  // When set, scripts the graph for the file it renders, as a framework that
  // reads the file would learn its facts.
  std::function<void(const std::string& fileName, FakeGraphState& state)> ScriptFile;

  // Record.
  std::vector<std::string> Calls;  // one entry per operation, e.g. "Run", "SetPosition 150000"
  std::string RenderedFile;
  WindowHandle Owner = 0;
  bool Visible = true;
  int32_t Left = 0, Top = 0, WindowWidth = 0, WindowHeight = 0;
  int32_t Volume = 0;
  double Rate = 1.0;
  bool SubtitlesVisible = true;
  std::string SubtitleFile;
  std::vector<int64_t> Seeks;  // every SetPosition argument, in order
  std::vector<std::string> SettingsShown;  // "name owner" per ShowFilterSettings
  std::function<void()> EndOfStreamHandler;
  bool Destroyed = false;
  bool Rendered = false;  // RenderFile succeeded
  bool Running = false;   // between Run and Pause or Stop
  TGraphTimeline Timeline;

  // How often `call` (the operation's name, without arguments) was made.
  int Count(std::string_view call) const;
  // Plays the stream to its end: Position := Duration, which is exact from
  // then on, then the end-of-stream handler runs, as the event loop would
  // run it, unless the stream already sat at its end.
  void EndStream();
  // Plays `time` (media time) of the stream while the graph runs; reaching
  // an exact length ends the stream.
  void Advance(int64_t time);
};

class FakeMediaGraph : public IMediaGraph {
 public:
  explicit FakeMediaGraph(std::shared_ptr<FakeGraphState> state);
  ~FakeMediaGraph() override;

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
  std::shared_ptr<FakeGraphState> State;
};

class FakeMediaPlatform : public IMediaPlatform {
 public:
  // Every new graph starts as a copy of this script (its record left empty).
  FakeGraphState Script;
  bool FailCreate = false;  // CreateGraph answers nullptr
  // Frame detectors: each DecodeFrame call is recorded as "file@seconds WxH"
  // and answered with a picture of one colour, or false.
  bool DetectorResult = true;
  uint8_t DetectorRed = 10, DetectorGreen = 20, DetectorBlue = 30;
  int DetectorsCreated = 0;
  std::vector<std::string> DetectorCalls;
  // The state of every graph created so far, oldest first.
  std::vector<std::shared_ptr<FakeGraphState>> Graphs;

  std::unique_ptr<IMediaGraph> CreateGraph() override;
  std::unique_ptr<IFrameDetector> CreateFrameDetector() override;
  // PNG "files": "PNG WxH" and the pixels, or false.
  bool PngResult = true;
  bool EncodePng(const TRgbImage& picture, std::vector<uint8_t>& bytes) override;
  // The newest graph's state; the test fails when there is none.
  FakeGraphState& Last();
};

// Timers that tick only when the test says so.
class FakeTimerService : public ITimerService {
 public:
  struct Timer {
    uint32_t Id = 0;
    uint32_t PeriodMs = 0;
    std::function<void()> TickFn;
  };

  bool FailStart = false;  // StartPeriodic answers 0
  int Starts = 0;
  int Kills = 0;  // calls of Kill, 0 and unknown ids included

  uint32_t StartPeriodic(uint32_t periodMs, std::function<void()> tick) override;
  void Kill(uint32_t id) override;

  // Ticks every running timer once, in the order they were started. A timer
  // killed by an earlier tick of the same round does not tick.
  void Tick();
  const std::vector<Timer>& Running() const { return Timers; }

 private:
  std::vector<Timer> Timers;
  uint32_t NextId = 1;
};

}  // namespace mova::test
