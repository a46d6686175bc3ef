// The commands added to the original table: the sound level, seeks of 10 and
// 60 seconds, frame steps, speed, sound and subtitle tracks, and the next
// and previous file of the folder.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/FolderFiles.h"
#include "app/MainWindow.h"
#include "app/ProgramTables.h"

namespace mova {

int32_t VolumeOfLevel(int32_t percent) {
  if (percent <= 0) return VolumeSilent;
  if (percent >= 100) return VolumeFull;
  // 20 * log10(level^3) decibels, in hundredths.
  const double volume = 6000.0 * std::log10(percent / 100.0);
  return std::max(VolumeSilent, static_cast<int32_t>(std::lround(volume)));
}

int32_t TMainWindow::CurrentVolume() const { return Mute ? VolumeSilent : VolumeOfLevel(Level); }

bool TMainWindow::ExecuteMoreCommand(CommandId id) {
  TVideoPlayer* player = Program.Player.get();
  switch (id) {
    case CmdVolumeUp:
      StepLevel(LevelStep);
      return true;
    case CmdVolumeDown:
      StepLevel(-LevelStep);
      return true;
    case CmdFrameStep:
    case CmdFrameBack:
      if (player) player->StepFrame(id == CmdFrameStep);
      return true;
    case CmdSpeedUp:
      StepRate(1);
      return true;
    case CmdSpeedDown:
      StepRate(-1);
      return true;
    case CmdSpeedReset:
      if (player) player->SetRate(1.0);
      return true;
    case CmdNextAudio:
      if (player) player->NextStream(TStreamKind::Sound);
      return true;
    case CmdNextSubtitle:
      if (player) player->NextStream(TStreamKind::Subtitle);
      return true;
    case CmdSubtitles:
      if (player) player->SetSubtitlesVisible(!player->SubtitlesVisible);
      return true;
    case CmdNextFile:
      OpenNeighbour(1);
      return true;
    case CmdPrevFile:
      OpenNeighbour(-1);
      return true;
    default:
      break;
  }
  if (id > CmdSeekForwardBase && id <= CmdSeekForwardBase + SeekCommandSeconds) {
    SeekBy((id - CmdSeekForwardBase) * 1000);
    return true;
  }
  if (id > CmdSeekBackBase && id <= CmdSeekBackBase + SeekCommandSeconds) {
    SeekBy(-(id - CmdSeekBackBase) * 1000);
    return true;
  }
  return false;
}

void TMainWindow::StepLevel(int32_t step) {
  // A step while muted unmutes, at the level stepped to.
  Mute = false;
  Level = std::clamp(Level + step, 0, 100);
  if (Program.Player) Program.Player->SetVolume(CurrentVolume());
  // The bar shows the level until a moment after the last step.
  if (Program.Timers == nullptr) return;
  Program.Timers->Kill(LevelTimer);
  LevelTimer = Program.Timers->StartPeriodic(LevelShownMs, [this] {
    Program.Timers->Kill(LevelTimer);
    LevelTimer = 0;
    UpdateStatus();
  });
}

void TMainWindow::SetLevel(int32_t percent) { StepLevel(std::clamp(percent, 0, 100) - Level); }

void TMainWindow::StepRate(int32_t step) {
  TVideoPlayer* player = Program.Player.get();
  if (!player) return;
  // The step after the rate in force, or before it; a rate between two
  // steps (none is now) goes to the nearer one in that direction.
  const double rate = player->Rate;
  const auto* next = step > 0 ? std::upper_bound(std::begin(SpeedSteps), std::end(SpeedSteps), rate)
                              : std::lower_bound(std::begin(SpeedSteps), std::end(SpeedSteps), rate);
  if (step > 0 && next != std::end(SpeedSteps)) player->SetRate(*next);
  if (step < 0 && next != std::begin(SpeedSteps)) player->SetRate(*std::prev(next));
}

void TMainWindow::OpenNeighbour(int step) {
  TVideoPlayer* player = Program.Player.get();
  if (!player || player->FileName.empty() || Program.System == nullptr) return;
  // Nothing at either end: the file that plays stays.
  if (const std::optional<std::string> next = NeighbourFile(*Program.System, player->FileName, step)) OpenFile(*next);
}

}  // namespace mova
