// The status bar under the picture: its two texts and its painting.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "app/DesktopPresence.h"
#include "app/MainWindow.h"

namespace mova {

std::string FormatTime(int32_t milliseconds) {
  const int32_t seconds = milliseconds > 0 ? milliseconds / 1000 : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
  return text;
}

TRect TMainWindow::StatusBarRect() const {
  TRect rect = ClientRect();
  rect.Top = rect.Bottom - StatusBarHeight;
  return rect;
}

void TMainWindow::UpdateStatus() {
  TVideoPlayer* player = Program.Player.get();
  // The position first: reading it runs the player's end check.
  const int32_t position = player ? player->GetPosition() : 0;
  const int32_t duration = player ? player->DurationMs : 0;
  PositionText = AudioText + FormatTime(position) + " / " + FormatTime(duration) + " ";
  const PlayerState state = player ? player->State : PlayerState::Playing;
  if (state == PlayerState::Paused)
    StateText = " PAUSE ";
  else if (state == PlayerState::Stopped)
    StateText = " STOP ";
  else
    StateText = " ";
  if (Repeat) StateText += "REPEAT ";
  if (Mute) StateText += "MUTE";
  // Added after the original words, so that those stay where they were.
  if (player && player->Rate != 1.0) {
    char rate[16];
    std::snprintf(rate, sizeof rate, "%.2fx ", player->Rate);
    StateText += (Mute ? " " : "") + std::string(rate);
  }
  if (LevelTimer != 0) StateText += (Mute ? " VOL " : "VOL ") + std::to_string(Level) + "%";
  const TRect bar = StatusBarRect();
  Windows.InvalidateRect(Handle, &bar, false);
  if (Program.Presence != nullptr) Program.Presence->Refresh();
}

void TMainWindow::PaintStatusBar(IPaintTarget& target, const TRect& rect) {
  const int32_t width = rect.Right - rect.Left;
  const int32_t height = rect.Bottom - rect.Top;
  if (width <= 0 || height <= 0) return;
  std::unique_ptr<IPainter> image = target.CreateImage(width, height);
  if (!image) return;
  TRect area{0, 0, width, height};
  image->FrameRect(area, StatusGray);
  area.Top = 1;
  image->FillRect(area, StatusBlack);

  int32_t marker = 0;
  TVideoPlayer* player = Program.Player.get();
  if (player && player->Opened && player->DurationMs > 0) {
    const double column = static_cast<double>(player->GetPosition()) / player->DurationMs * rect.Right;
    marker = static_cast<int32_t>(
        std::trunc(std::clamp(column, -1.0e6, static_cast<double>(std::numeric_limits<int32_t>::max() / 2))));
  }
  image->FillRect(TRect{marker - 2, 2, marker + 3, height - 1}, StatusGray);
  image->FillRect(TRect{marker, 2, marker + 1, 4}, StatusBlack);
  image->FillRect(TRect{marker, height - 3, marker + 1, height - 1}, StatusBlack);

  image->DrawTextLine(StateText, area, DT::SINGLELINE | DT::VCENTER, StatusTextColor);
  image->DrawTextLine(PositionText, area, DT::SINGLELINE | DT::VCENTER | DT::RIGHT, StatusTextColor);
  target.CopyImage(*image, rect.Left, rect.Top);
}

}  // namespace mova
