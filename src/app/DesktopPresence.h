#pragma once
// Mova among the desktop's programs: the screen stays on while a picture
// plays, and the desktop's media controls are shown what plays and carried
// out as the keys are, through the same commands.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/DesktopSession.h"

namespace mova {

class TMainWindow;
struct TProgramState;

// The names of the controls' properties that differ between two states;
// every one when there was none before.
std::vector<std::string> ChangedControls(const std::optional<TMediaControlsState>& before,
                                         const TMediaControlsState& after);
// A path as a file:// address, and back; nothing for another address.
std::string FileUrl(const std::string& path);
std::optional<std::string> PathOfFileUrl(const std::string& url);

class TDesktopPresence {
 public:
  // Takes the session's requests; the window and the program outlive it.
  TDesktopPresence(IDesktopSession& session, TMainWindow& window, TProgramState& program);
  // Lets the screen go.
  ~TDesktopPresence();
  TDesktopPresence(const TDesktopPresence&) = delete;
  TDesktopPresence& operator=(const TDesktopPresence&) = delete;

  // After every status refresh: tells the desktop what changed.
  void Refresh();
  // Carries out what the controls ask, then refreshes the status.
  void Carry(const TControlRequest& request);
  // The player's position jumped to `ms`.
  void Seeked(int32_t ms);

 private:
  TMediaControlsState Current();
  void NoteTrack();
  void NoteCover();

  IDesktopSession& Session;
  TMainWindow& Window;
  TProgramState& Program;
  bool ScreenKept = false;
  std::optional<TMediaControlsState> Shown;
  // The file the track is, counted from 1; its address, title, neighbours
  // and cover.
  std::string TrackFile;
  int32_t TrackNumber = 0;
  std::string TrackUrl;
  std::string TrackTitle;
  bool HasNext = false;
  bool HasPrevious = false;
  std::string ArtUrl;
  bool CoverTried = false;
};

}  // namespace mova
