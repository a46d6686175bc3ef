#pragma once
// The desktop around the window: whether it may blank the screen, and its
// media controls (a panel's player, playerctl, a phone's remote), which are
// shown what plays and ask for what the keys do.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mova {

// What the media controls show. Times are microseconds, as the controls
// count them.
struct TMediaControlsState {
  std::string Status = "Stopped";  // "Playing", "Paused" or "Stopped"
  // Names the file that plays, a new name for each file opened; while none
  // is open, the name that stands for no track.
  std::string TrackId = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
  int64_t Length = 0;
  std::string Url;     // the file as a file:// address
  std::string Title;   // the file's title tag, else its name
  std::string ArtUrl;  // its cover as a file:// address; empty without one
  double Volume = 1.0;  // 0 silent to 1 full
  double Rate = 1.0;
  double MinimumRate = 1.0;
  double MaximumRate = 1.0;
  bool CanPlay = false;
  bool CanPause = false;
  bool CanSeek = false;
  bool CanGoNext = false;
  bool CanGoPrevious = false;
  bool operator==(const TMediaControlsState&) const = default;
};

// What the media controls ask for.
enum class TControlAction : uint8_t {
  Play, Pause, PlayPause, Stop, Next, Previous,
  Seek,         // by `Time`, forward or (negative) back
  SetPosition,  // to `Time`, if `Text` is the track that plays
  OpenUri,      // `Text`
  SetVolume,    // to `Value`
  SetRate,      // to `Value`
};

struct TControlRequest {
  TControlAction Action = TControlAction::PlayPause;
  int64_t Time = 0;
  double Value = 0.0;
  std::string Text;
};

class IDesktopSession {
 public:
  virtual ~IDesktopSession() = default;

  // Asks the desktop not to blank the screen or sleep (`on`), or lets it
  // again. Returns at once, whether or not anything answers.
  virtual void KeepScreenOn(bool on) = 0;

  // Shows the controls the state; `changed` names the properties that
  // differ from the state shown before (the controls' own names:
  // "PlaybackStatus", "Metadata", "Volume", "Rate", "CanGoNext", ...).
  virtual void PublishControls(const TMediaControlsState& state, const std::vector<std::string>& changed) = 0;
  // The position jumped (a seek, a restart) to `position`.
  virtual void AnnounceSeek(int64_t position) = 0;

  // Where the cover of the file that plays may be written for the controls
  // to show; empty when the controls show none.
  virtual std::string CoverFile() const = 0;

  // Set before the controls can ask: the position now, and a request, both
  // called on the window thread.
  std::function<int64_t()> Position;
  std::function<void(const TControlRequest&)> OnRequest;
};

}  // namespace mova
