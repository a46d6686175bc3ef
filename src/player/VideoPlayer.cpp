#include "player/VideoPlayer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/LittleEndian.h"
#include "framework/PathNames.h"
#include "player/FileReader.h"
#include "player/FrameCapture.h"
#include "player/GraphTimeline.h"
#include "player/MediaProbes.h"
#include "player/StreamFormats.h"

namespace mova {

namespace {

constexpr uint32_t PlaybackPeriodMs = 100;
constexpr int64_t MediaTimePerMs = 10000;
constexpr size_t MaxFilterNameChars = 128;

// A filter's name as the menu shows it: up to the first NUL and at most 128
// characters. Names are UTF-8, so the cut never splits a character.
std::string FilterMenuName(const std::string& name) {
  const std::string plain = name.substr(0, name.find('\0'));
  size_t chars = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    const bool startsCharacter = (static_cast<uint8_t>(plain[i]) & 0xC0) != 0x80;
    if (startsCharacter && ++chars > MaxFilterNameChars) return plain.substr(0, i);
  }
  return plain;
}

}  // namespace

TVideoPlayer::TVideoPlayer(IMediaPlatform& platform, ITimerService& timers, IOperatingSystem& system)
    : Platform(platform), Timers(timers), System(system) {}

TVideoPlayer::~TVideoPlayer() {
  // A tick must never reach a player that is gone.
  Timers.Kill(TimerId);
  TimerId = 0;
  Close();
}

void TVideoPlayer::Open(const std::string& fileName) {
  Opened = false;
  DurationMs = 0;
  FrameRate = 0.0;
  State = PlayerState::Stopped;
  if (Graph) {
    Graph->Stop();
    Close();
  }

  int32_t sequenceWidth = 0;
  int32_t sequenceHeight = 0;
  bool aviHeaders = false;
  {
    const std::unique_ptr<ByteReader> file = OpenFileReader(System, fileName);
    if (!file) return;
    if (ProbeAvi(*file, AviHeader, VideoFormat, AudioFormat)) {
      PixelAspect = 1.0;
    } else {
      ProbeMpeg(*file, PixelAspect, sequenceWidth, sequenceHeight);
    }
    aviHeaders = std::any_of(AviHeader.begin(), AviHeader.end(), [](uint8_t byte) { return byte != 0; });
  }

  Graph = Platform.CreateGraph();
  if (Graph) {
    if (const std::optional<std::string> subtitles = SubtitleFileFor(fileName)) Graph->SetSubtitleFile(*subtitles);
  }
  if (!Graph || !Graph->RenderFile(fileName)) {
    Close();
    return;
  }
  Graph->SetEndOfStreamHandler([this] { EndOfStream(); });
  Graph->SetVideoOwner(OwnerWindow);

  // Facts the graph does not report are cleared rather than inherited from
  // the previous file: an audio file opened after a video has no picture.
  VideoWidth = 0;
  VideoHeight = 0;
  Graph->GetVideoSize(VideoWidth, VideoHeight);
  const TStreamFacts facts = Graph->GetStreamFacts();
  Title = facts.Title;
  Cover = facts.Cover;
  if (facts.QuarterTurn) {
    // The header describes the picture as stored; it is shown turned, and
    // its pixels with it.
    std::swap(sequenceWidth, sequenceHeight);
    if (PixelAspect > 0.0) PixelAspect = 1.0 / PixelAspect;
  }
  if (VideoWidth != sequenceWidth || VideoHeight != sequenceHeight) {
    // The probes found no pixel shape for this picture: the one the decoded
    // stream states, else square pixels.
    const double stated = aviHeaders ? 0.0 : PixelAspectOf(facts);
    PixelAspect = stated > 0.0 ? stated : 1.0;
  }
  // An AVI file's headers are its formats; any other file has them from
  // its streams.
  if (!aviHeaders) FillFormatRecords(facts, VideoWidth, VideoHeight, AudioFormat, VideoFormat);

  double frameTime = 0.0;
  if (!Graph->GetAvgTimePerFrame(frameTime)) frameTime = 0.0;
  const int32_t headerFrameTime = static_cast<int32_t>(ReadLe32(&AviHeader[8]));
  if (frameTime != 0.0) {
    FrameRate = 1.0 / frameTime;
  } else if (headerFrameTime > 0) {
    FrameRate = 1000000.0 / headerFrameTime;
  } else {
    FrameRate = 0.0;
  }

  Duration = 0;
  if (!Graph->GetDuration(Duration)) Duration = 0;
  SetDuration(Duration);
  Estimating = false;

  FileName = fileName;
  Opened = true;
  CollectFilterNames();
  if (Rate != 1.0 && !Graph->SetRate(Rate)) Rate = 1.0;
  if (!SubtitlesVisible) Graph->SetSubtitlesVisible(false);
}

std::optional<std::string> TVideoPlayer::SubtitleFileFor(const std::string& fileName) {
  // The video's name with a subtitle extension instead of its own.
  const TPathRules rules = System.PathRules();
  const size_t nameStart = FileNameStart(fileName, rules);
  const size_t dot = fileName.rfind('.');
  const std::string base = dot != std::string::npos && dot > nameStart ? fileName.substr(0, dot) : fileName;
  for (const char* extension : {".srt", ".ass", ".ssa", ".vtt"}) {
    int32_t error = 0;
    const std::unique_ptr<IReadableFile> file = System.OpenForReading(base + extension, error);
    if (!file) continue;
    // Only a file that reads as subtitles: a time line of SubRip or WebVTT,
    // or the script header of SSA and ASS.
    std::string head(4096, '\0');
    const TReadResult read = file->ReadAt(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(head.data()), head.size()));
    head.resize(read.Error == 0 ? std::min(read.Count, head.size()) : 0);
    if (head.find("-->") != std::string::npos || head.find("[Script Info]") != std::string::npos)
      return base + extension;
  }
  return std::nullopt;
}

double TVideoPlayer::SetRate(double rate) {
  const double wanted = std::clamp(rate, TGraphTimeline::MinRate, TGraphTimeline::MaxRate);
  if (!Opened || Graph->SetRate(wanted)) Rate = wanted;
  return Rate;
}

bool TVideoPlayer::StepFrame(bool forward) {
  if (!Opened) return false;
  if (State == PlayerState::Playing) Pause();
  if (!Graph->StepFrame(forward)) return false;
  State = PlayerState::Paused;
  return true;
}

bool TVideoPlayer::NextStream(TStreamKind kind) { return Opened && Graph->NextStream(kind); }

void TVideoPlayer::SetSubtitlesVisible(bool visible) {
  SubtitlesVisible = visible;
  if (Opened) Graph->SetSubtitlesVisible(visible);
}

void TVideoPlayer::Close() {
  if (!Graph) {
    Opened = false;
    return;
  }
  Graph->Stop();
  Graph->SetVideoVisible(false);
  Graph->SetVideoOwner(0);
  Graph.reset();
  Opened = false;
}

void TVideoPlayer::SetVolume(int32_t volume) {
  if (Opened) Graph->SetVolume(volume);
}

void TVideoPlayer::CollectFilterNames() {
  FilterNames.clear();
  for (const TFilterInfo& filter : Graph->EnumFilters()) {
    // The command ids reach only the first MaxFilters entries; later names
    // could never be chosen, so they are dropped.
    if (!filter.HasSettings || FilterNames.size() >= static_cast<size_t>(MaxFilters)) continue;
    FilterNames.push_back(FilterMenuName(filter.Name));
  }
  FilterCount = static_cast<int32_t>(FilterNames.size());
}

int32_t TVideoPlayer::PlaceVideo(int32_t left, int32_t top, int32_t width, int32_t height) {
  // Callers place the picture only while a file is open; without a graph
  // there is no window to place, which reads as a failure.
  if (!Graph) return -1;
  return Graph->SetVideoPosition(left, top, width, height);
}

void TVideoPlayer::Play() {
  if (!Opened) return;
  const int64_t position = Graph->GetCurrentPosition();
  if (position == Duration && State == PlayerState::Stopped) Seek(0);
  // The end check inside that seek may have closed the file through the
  // end notification.
  if (!Opened) return;
  Graph->Run();
  State = PlayerState::Playing;
  if (TimerId != 0) {
    Timers.Kill(TimerId);
    TimerId = 0;
  }
  TimerId = Timers.StartPeriodic(PlaybackPeriodMs, [this] { PlaybackTimerProc(); });
}

void TVideoPlayer::Pause() {
  if (!Opened) return;
  Timers.Kill(TimerId);
  TimerId = 0;
  Graph->Pause();
  State = PlayerState::Paused;
}

void TVideoPlayer::TogglePause() {
  if (State == PlayerState::Paused) {
    Play();
  } else {
    Pause();
  }
}

void TVideoPlayer::Stop() {
  if (!Opened) return;
  Graph->Stop();
  Seek(0);
  if (!Opened) return;
  Graph->StopWhenReady();
  State = PlayerState::Stopped;
}

void TVideoPlayer::Seek(int32_t ms) {
  if (!Opened) return;
  int64_t target = static_cast<int64_t>(ms) * MediaTimePerMs;
  // A length still being estimated limits the seek as well: beyond it lies
  // nothing the graph knows to be there.
  if (target >= Duration) target = Duration;
  Graph->SetPosition(target);
  const int32_t position = GetPosition();
  if (OnSeeked) OnSeeked(position);
}

int32_t TVideoPlayer::GetPosition() {
  if (!Opened) return 0;
  const int64_t position = Graph->GetCurrentPosition();
  if (Graph->DurationIsEstimate()) {
    // No end before the stream's own: the length is the graph's estimate,
    // and never less than what has played.
    Estimating = true;
    int64_t estimate = 0;
    if (!Graph->GetDuration(estimate)) estimate = 0;
    SetDuration(std::max(estimate, position));
    return static_cast<int32_t>(position / MediaTimePerMs);
  }
  if (Estimating) {
    // The stream has ended, and so made its length exact.
    Estimating = false;
    int64_t duration = position;
    Graph->GetDuration(duration);
    SetDuration(duration);
  }
  if (position >= Duration) {
    Graph->Stop();
    State = PlayerState::Stopped;
    // The receiver may seek and play, and so read the position again. Where
    // that seek cannot leave the end (a file without a duration) the read
    // inside must not notify once more, or the notification would recurse
    // without end; the next tick notifies again.
    if (OnEndReached && !NotifyingEnd) {
      NotifyingEnd = true;
      OnEndReached();
      NotifyingEnd = false;
    }
  }
  return static_cast<int32_t>(position / MediaTimePerMs);
}

void TVideoPlayer::PlaybackTimerProc() {
  if (Opened && OnProgress) OnProgress();
}

bool TVideoPlayer::CaptureFrame(const std::string& targetFile) {
  if (!Opened) return false;
  std::unique_ptr<IFrameDetector> detector = Platform.CreateFrameDetector();
  // The position is read first: at the end its check stops the graph and
  // notifies before the frame at the end time is asked for.
  const int32_t positionMs = GetPosition();
  TPictureEncoder png;
  if (NamesPng(targetFile)) {
    png = [this](const TRgbImage& picture, std::vector<uint8_t>& bytes) { return Platform.EncodePng(picture, bytes); };
  }
  return CaptureFrameToFile(System, detector.get(), Opened, FileName, positionMs, VideoWidth, VideoHeight, targetFile,
                            png);
}

void TVideoPlayer::ShowFilterPages(const std::string& filterName) {
  if (!Opened || !Graph) return;
  Graph->ShowFilterSettings(filterName, OwnerWindow);
}

void TVideoPlayer::SetDuration(int64_t duration) {
  Duration = duration;
  DurationMs = static_cast<int32_t>(std::clamp<int64_t>(duration / MediaTimePerMs, 0, INT32_MAX));
}

void TVideoPlayer::EndOfStream() {
  // A stopped graph has already had its end noticed (or was stopped by the
  // user); only a running or paused one needs the end check here.
  if (Opened && State != PlayerState::Stopped) GetPosition();
}

}  // namespace mova
