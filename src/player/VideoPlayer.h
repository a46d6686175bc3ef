#pragma once
// The playback engine: one media file at a time in a filter graph, with the
// transport, the position and its end check, and the 100 ms playback timer.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"
#include "framework/WindowHandle.h"
#include "player/MediaGraph.h"
#include "framework/TimerService.h"

namespace mova {

enum class PlayerState : uint8_t { Playing = 0, Paused = 1, Stopped = 2 };
constexpr int MaxFilters = 256;

class TVideoPlayer {
 public:
  TVideoPlayer(IMediaPlatform& platform, ITimerService& timers, IOperatingSystem& system);
  ~TVideoPlayer();  // stops the playback timer first
  TVideoPlayer(const TVideoPlayer&) = delete;
  TVideoPlayer& operator=(const TVideoPlayer&) = delete;

  void Open(const std::string& fileName);  // success: Opened
  void Close();
  void SetVolume(int32_t volume);          // hundredths of a decibel
  int32_t PlaceVideo(int32_t left, int32_t top, int32_t width, int32_t height);

  // Playback rate, kept for the files opened later; clamped to the graphs'
  // range. Returns the rate in force.
  double SetRate(double rate);
  // Pauses and shows the next (or previous) picture; false when the file has
  // none to show.
  bool StepFrame(bool forward);
  // The next sound or subtitle stream of the file; false when there is none.
  bool NextStream(TStreamKind kind);
  // Subtitles drawn or not, kept for the files opened later.
  void SetSubtitlesVisible(bool visible);

  void Play();
  void Pause();
  void TogglePause();
  void Stop();
  void Seek(int32_t ms);
  int32_t GetPosition();  // also the end check
  void PlaybackTimerProc();

  // Writes the picture at the current position, at the native video size, to
  // the bitmap file `targetFile`; true when it was written. False when no
  // file is open, without creating a detector.
  bool CaptureFrame(const std::string& targetFile);
  // Opens the settings of the first element named `filterName` that has
  // any, owned by OwnerWindow; nothing when no file is open.
  void ShowFilterPages(const std::string& filterName);

  // Notifications, called only when set.
  std::function<void()> OnProgress;
  std::function<void()> OnEndReached;
  // After each seek, with the position it went to.
  std::function<void(int32_t)> OnSeeked;

  uint32_t TimerId = 0;
  int64_t Duration = 0;  // 100-ns units
  PlayerState State = PlayerState::Playing;
  std::string FileName;
  int32_t VideoWidth = 0;
  int32_t VideoHeight = 0;
  int32_t DurationMs = 0;
  bool Opened = false;
  WindowHandle OwnerWindow = 0;
  double FrameRate = 0.0;
  double PixelAspect = 0.0;
  std::array<uint8_t, 64> AviHeader{};
  std::array<uint8_t, 40> VideoFormat{};
  std::array<uint8_t, 14> AudioFormat{};
  std::vector<std::string> FilterNames;  // at most MaxFilters names
  int32_t FilterCount = 0;
  double Rate = 1.0;
  bool SubtitlesVisible = true;
  std::string Title;   // the file's title tag; empty without one
  bool Cover = false;  // the picture is the file's cover

 private:
  void CollectFilterNames();
  // The subtitle file beside `fileName` with its base name, if any.
  std::optional<std::string> SubtitleFileFor(const std::string& fileName);
  void SetDuration(int64_t duration);  // also DurationMs
  void EndOfStream();

  bool NotifyingEnd = false;  // OnEndReached is running
  // The graph's length is an estimate (a raw stream, a file without an
  // index): Duration follows it, never less than the position, and only the
  // end of the stream, which makes it exact, ends playback.
  bool Estimating = false;
  IMediaPlatform& Platform;
  ITimerService& Timers;
  IOperatingSystem& System;  // reads the file's headers, writes captures
  std::unique_ptr<IMediaGraph> Graph;  // set from a successful render until Close
};

}  // namespace mova
