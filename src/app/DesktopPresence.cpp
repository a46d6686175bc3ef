#include "app/DesktopPresence.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/FolderFiles.h"
#include "app/MainWindow.h"
#include "app/ProgramTables.h"
#include "framework/PathNames.h"

namespace mova {

namespace {

constexpr int64_t MicrosecondsPerMs = 1000;

bool Unreserved(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' ||
         c == '.' || c == '~' || c == '/';
}

// C:\films or C:/films: a Windows path, whose address is file:///C:/films.
bool HasDrive(const std::string& path) {
  return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::string> ChangedControls(const std::optional<TMediaControlsState>& before,
                                         const TMediaControlsState& after) {
  std::vector<std::string> changed;
  auto note = [&](const char* name, auto field) {
    if (!before || (*before).*field != after.*field) changed.emplace_back(name);
  };
  note("PlaybackStatus", &TMediaControlsState::Status);
  if (!before || before->TrackId != after.TrackId || before->Length != after.Length || before->Url != after.Url ||
      before->Title != after.Title || before->ArtUrl != after.ArtUrl)
    changed.emplace_back("Metadata");
  note("Volume", &TMediaControlsState::Volume);
  note("Rate", &TMediaControlsState::Rate);
  note("MinimumRate", &TMediaControlsState::MinimumRate);
  note("MaximumRate", &TMediaControlsState::MaximumRate);
  note("CanPlay", &TMediaControlsState::CanPlay);
  note("CanPause", &TMediaControlsState::CanPause);
  note("CanSeek", &TMediaControlsState::CanSeek);
  note("CanGoNext", &TMediaControlsState::CanGoNext);
  note("CanGoPrevious", &TMediaControlsState::CanGoPrevious);
  return changed;
}

std::string FileUrl(const std::string& path) {
  // A Windows path goes as file:///C:/films/..., its separators as slashes.
  const bool drive = HasDrive(path);
  std::string url = drive ? "file:///" + path.substr(0, 2) : "file://";
  for (char c : drive ? path.substr(2) : path) {
    if (drive && c == '\\') c = '/';
    const auto byte = static_cast<unsigned char>(c);
    if (Unreserved(byte)) {
      url += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      url += escaped;
    }
  }
  return url;
}

std::optional<std::string> PathOfFileUrl(const std::string& url) {
  constexpr std::string_view scheme = "file://";
  if (url.size() <= scheme.size() || url.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
  std::string path;
  for (size_t i = scheme.size(); i < url.size(); ++i) {
    if (url[i] != '%') {
      path += url[i];
      continue;
    }
    const int high = i + 2 < url.size() ? HexValue(url[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(url[i + 2]) : -1;
    if (low < 0) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  // Only a local file ("file:///path" or "file://localhost/path").
  if (path.compare(0, 10, "localhost/") == 0) path.erase(0, 9);
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) return std::nullopt;
  if (HasDrive(path.substr(1))) {
    path.erase(0, 1);
    std::replace(path.begin(), path.end(), '/', '\\');
  }
  return path;
}

TDesktopPresence::TDesktopPresence(IDesktopSession& session, TMainWindow& window, TProgramState& program)
    : Session(session), Window(window), Program(program) {
  Session.Position = [this]() -> int64_t {
    TVideoPlayer* player = Program.Player.get();
    return player && player->Opened ? player->GetPosition() * MicrosecondsPerMs : 0;
  };
  Session.OnRequest = [this](const TControlRequest& request) { Carry(request); };
  if (Program.Player) Program.Player->OnSeeked = [this](int32_t ms) { Seeked(ms); };
}

TDesktopPresence::~TDesktopPresence() {
  if (Program.Player) Program.Player->OnSeeked = nullptr;
  Session.OnRequest = nullptr;
  Session.Position = nullptr;
  if (ScreenKept) Session.KeepScreenOn(false);
}

void TDesktopPresence::Seeked(int32_t ms) { Session.AnnounceSeek(static_cast<int64_t>(ms) * MicrosecondsPerMs); }

void TDesktopPresence::NoteTrack() {
  TVideoPlayer* player = Program.Player.get();
  const std::string file = player && player->Opened ? player->FileName : std::string();
  if (file == TrackFile) return;
  TrackFile = file;
  ++TrackNumber;
  HasNext = HasPrevious = false;
  ArtUrl.clear();
  CoverTried = false;
  if (file.empty()) return;
  // What stays the same while the file plays is worked out once, not at
  // every refresh: its address, its title, its neighbours in the folder.
  TrackUrl = FileUrl(file);
  TrackTitle = !player->Title.empty() ? player->Title : file.substr(FileNameStart(file, Program.PathRules));
  if (Program.System != nullptr) {
    const TNeighbourFiles neighbours = NeighbourFiles(*Program.System, file);
    HasNext = neighbours.Next.has_value();
    HasPrevious = neighbours.Previous.has_value();
  }
}

void TDesktopPresence::NoteCover() {
  // A cover is shown as a file of its own: the picture, saved once, when
  // the controls have a place for it (once the session has its bus).
  TVideoPlayer* player = Program.Player.get();
  if (CoverTried || !player || !player->Opened || !player->Cover) return;
  const std::string cover = Session.CoverFile();
  if (cover.empty()) return;
  CoverTried = true;
  if (player->CaptureFrame(cover)) ArtUrl = FileUrl(cover);
}

TMediaControlsState TDesktopPresence::Current() {
  NoteTrack();
  NoteCover();
  TMediaControlsState state;
  TVideoPlayer* player = Program.Player.get();
  state.Volume = Window.Mute ? 0.0 : Window.Level / 100.0;
  state.MinimumRate = SpeedSteps[0];
  state.MaximumRate = SpeedSteps[std::size(SpeedSteps) - 1];
  if (!player || !player->Opened) return state;
  state.Status = player->State == PlayerState::Playing  ? "Playing"
                 : player->State == PlayerState::Paused ? "Paused"
                                                        : "Stopped";
  state.TrackId = "/org/mova/track/" + std::to_string(TrackNumber);
  state.Length = static_cast<int64_t>(player->DurationMs) * MicrosecondsPerMs;
  state.Url = TrackUrl;
  state.Title = TrackTitle;
  state.ArtUrl = ArtUrl;
  state.Rate = player->Rate;
  state.CanPlay = state.CanPause = state.CanSeek = true;
  state.CanGoNext = HasNext;
  state.CanGoPrevious = HasPrevious;
  return state;
}

void TDesktopPresence::Refresh() {
  TVideoPlayer* player = Program.Player.get();
  // A cover is no film: music with one lets the screen blank.
  const bool keep = player && player->Opened && player->State == PlayerState::Playing && player->VideoWidth > 0 &&
                    !player->Cover;
  if (keep != ScreenKept) {
    ScreenKept = keep;
    Session.KeepScreenOn(keep);
  }
  const TMediaControlsState state = Current();
  if (Shown && *Shown == state) return;
  Session.PublishControls(state, ChangedControls(Shown, state));
  Shown = state;
}

void TDesktopPresence::Carry(const TControlRequest& request) {
  TVideoPlayer* player = Program.Player.get();
  const bool opened = player && player->Opened;
  const bool playing = opened && player->State == PlayerState::Playing;
  switch (request.Action) {
    case TControlAction::Play:
      if (opened && !playing) Window.ExecuteCommand(CmdPause);
      return;
    case TControlAction::Pause:
      if (playing) Window.ExecuteCommand(CmdPause);
      return;
    case TControlAction::PlayPause:
      if (opened) Window.ExecuteCommand(CmdPause);
      return;
    case TControlAction::Stop:
      Window.ExecuteCommand(CmdStop);
      return;
    case TControlAction::Next:
      Window.ExecuteCommand(CmdNextFile);
      return;
    case TControlAction::Previous:
      Window.ExecuteCommand(CmdPrevFile);
      return;
    case TControlAction::Seek: {
      if (!opened) return;
      // No further back than the start; the player keeps a seek forward
      // within the media.
      const int64_t target = std::max<int64_t>(player->GetPosition() + request.Time / MicrosecondsPerMs, 0);
      player->Seek(static_cast<int32_t>(std::min<int64_t>(target, INT32_MAX)));
      break;
    }
    case TControlAction::SetPosition: {
      // Only for the track that plays, and only within it.
      if (!opened || !Shown || request.Text != Shown->TrackId) return;
      if (request.Time < 0 || request.Time > static_cast<int64_t>(player->DurationMs) * MicrosecondsPerMs) return;
      player->Seek(static_cast<int32_t>(request.Time / MicrosecondsPerMs));
      break;
    }
    case TControlAction::OpenUri:
      if (const std::optional<std::string> path = PathOfFileUrl(request.Text)) Window.OpenFile(*path);
      break;
    case TControlAction::SetVolume: {
      if (!std::isfinite(request.Value)) return;
      const auto level = static_cast<int32_t>(std::lround(std::clamp(request.Value, 0.0, 1.0) * 100.0));
      Window.SetLevel(level);
      break;
    }
    case TControlAction::SetRate:
      if (!opened || !std::isfinite(request.Value) || request.Value <= 0.0) return;
      player->SetRate(std::clamp(request.Value, SpeedSteps[0], SpeedSteps[std::size(SpeedSteps) - 1]));
      break;
  }
  Window.UpdateStatus();
}

}  // namespace mova
