#pragma once
// The program's only window: the picture above a 13-pixel status bar, its
// message handling, mouse seeking, opening files, commands, video geometry and
// the status bar's texts and painting.
#include <cstdint>
#include <optional>
#include <string>

#include "app/ProgramState.h"
#include "config/Cmd.h"
#include "framework/SForm.h"

namespace mova {

constexpr int32_t StatusBarHeight = 13;
constexpr int32_t FallbackPictureWidth = 320;
constexpr int32_t MaxTrackSize = 4096;
constexpr uint32_t FullScreenStyle = WS::MINIMIZEBOX | WS::MAXIMIZEBOX;
constexpr int32_t VolumeFull = 0;
constexpr int32_t VolumeSilent = -10000;
constexpr char ProgramName[] = "Mova";
constexpr char FilterMenuCaption[] = "&Filter Properties";
constexpr char DefaultCaptureName[] = "movacapt.bmp";
constexpr CommandId FilterCommandFirst = 4000;  // 4000 + the filter's index
constexpr CommandId FilterCommandLast = 4255;
constexpr CommandId ZoomCommandLast = 1999;     // 1000 to 1999: zoom to (id - 1000) percent

enum class AspectMode : uint8_t { AspectAuto = 0, AspectOrg = 1, Aspect43 = 2, Aspect169 = 3 };

// Status-bar colours.
constexpr TColor StatusTextColor{0, 255, 255};
constexpr TColor StatusGray{128, 128, 128};
constexpr TColor StatusBlack{0, 0, 0};

// Hours, minutes and seconds, two digits at least each: "01:23:45". Hours of
// 100 and more take as many digits as they need; negative times read 00:00:00.
std::string FormatTime(int32_t milliseconds);

// The position under column x of a bar `clientWidth` pixels wide for a media
// of `durationMs`, truncated to whole milliseconds; nothing when the bar has
// no width.
std::optional<int32_t> PositionUnder(int32_t x, int32_t clientWidth, int32_t durationMs);

// The volume, in hundredths of a decibel, of a level in percent: the cube of
// the level as the amplitude (as PulseAudio's and mpv's volume scales), so
// steps of 5 % sound even; 100 % is full volume, 0 silence.
int32_t VolumeOfLevel(int32_t percent);
// The playback rates the speed commands step through, 1 among them.
inline constexpr double SpeedSteps[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
constexpr int32_t LevelStep = 5;
constexpr uint32_t LevelShownMs = 1500;

class TMainWindow : public TSForm {
 public:
  TMainWindow(IWindowSystem& windows, TProgramState& program);

  void HandleMessage(FormMessage& message) override;

  // Opens a media file and plays it, or tells the user it cannot be played.
  void OpenFile(const std::string& fileName);
  // Opens the first of the files of a WM::DROPFILES.
  void DropFiles(MessageParam drop);
  // The player reached the end: with repeat on, play again from the start.
  void EndReached();
  // Carries out one command, then refreshes the status bar.
  void ExecuteCommand(CommandId id);

  // Video geometry.
  int32_t AspectWidth() const;
  void SizeToVideo();
  void FitVideo();
  void SetZoom(int32_t percent);
  void SetFullScreen(bool value);

  // Status bar.
  void UpdateStatus();
  void PaintStatusBar(IPaintTarget& target, const TRect& rect);
  TRect StatusBarRect() const;

  // Title and format text.
  void UpdateTitle();
  void UpdateAudioText();

  // Context menu, About box, screen capture and filter pages.
  void ShowContextMenu();
  // The context menu as it would be shown now: command items with their key
  // texts, the filter submenu, grey items and check marks.
  void BuildContextMenu(TPopupMenu& popup);
  static uint32_t MenuCheck(bool value);
  void ShowAbout();
  void SaveScreenCapture();
  void ShowFilterPages(int32_t index);

  bool FullScreen = false;
  TWindowPlacement SavedPlacement{};
  uint32_t SavedStyle = 0;
  bool SavedStayOnTop = false;
  std::string StateText;
  std::string PositionText;
  std::string AudioText;
  AspectMode Aspect = AspectMode::AspectAuto;
  int32_t Zoom = 100;
  int32_t DisplayWidth = 0;
  int32_t DisplayHeight = 0;
  bool Mute = false;
  PlayerState StateBeforeDrag = PlayerState::Playing;
  bool Repeat = false;
  // The sound level in percent of the range a user hears as even steps;
  // mute leaves it as it is.
  int32_t Level = 100;
  uint32_t LevelTimer = 0;  // while set, the bar shows the level

  // The commands added to the original table: volume, longer seeks, frame
  // steps, speed, tracks, the folder's files. False for any other id.
  bool ExecuteMoreCommand(CommandId id);
  // What the volume is now: silent while muted, else the level's.
  int32_t CurrentVolume() const;
  // Sets the level in percent, as the volume steps do: unmuted, shown.
  void SetLevel(int32_t percent);

 private:
  void WheelStep(MessageParam wParam);
  void SeekBy(int32_t deltaMs);
  void StepLevel(int32_t step);
  void StepRate(int32_t step);
  void OpenNeighbour(int step);
  void LeftPress(MessageParam lParam);
  void DragStep();
  void DragEnd();
  void Paint();
  void PlayOrToggle();
  void SeekTo(std::optional<int32_t> position);
  bool IsOpened() const;

  TProgramState& Program;
};

}  // namespace mova
