// Zoom, aspect modes, fitting the picture into the window and full screen.
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/MainWindow.h"
#include "app/ProgramTables.h"

namespace mova {

namespace {

// Rounds to the nearest integer, a half to the even neighbour, within the
// 32-bit range.
int32_t RoundToInt32(double value) {
  if (!(value > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (!(value < std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::nearbyint(value));
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t TMainWindow::AspectWidth() const {
  const TVideoPlayer* player = Program.Player.get();
  const int32_t videoWidth = player ? player->VideoWidth : 0;
  const int32_t videoHeight = player ? player->VideoHeight : 0;
  int32_t width = 0;
  switch (Aspect) {
    case AspectMode::AspectAuto: {
      // Before any file has been probed the pixel aspect is 0: such pixels
      // count as square rather than dividing by zero.
      const double pixelAspect = player ? player->PixelAspect : 0.0;
      const bool usable = std::isfinite(pixelAspect) && pixelAspect > 0.0;
      width = RoundToInt32(static_cast<double>(videoWidth) / (usable ? pixelAspect : 1.0));
      break;
    }
    case AspectMode::AspectOrg:
      width = videoWidth;
      break;
    case AspectMode::Aspect43:
      width = RoundToInt32(static_cast<double>(static_cast<int64_t>(videoHeight) * 4) / 3.0);
      break;
    case AspectMode::Aspect169:
      width = RoundToInt32(static_cast<double>(static_cast<int64_t>(videoHeight) * 16) / 9.0);
      break;
  }
  return width == 0 ? FallbackPictureWidth : width;
}

void TMainWindow::SizeToVideo() {
  // The zoom asked for survives the restore of a maximised window, whose own
  // size notification would otherwise fit a different zoom first.
  const int32_t zoom = Zoom;
  if (Windows.IsZoomed(Handle)) {
    Windows.ShowWindow(Handle, SW::RESTORE);
    Zoom = zoom;
  }
  const int32_t videoHeight = Program.Player ? Program.Player->VideoHeight : 0;
  const int32_t width = ClampToInt32(static_cast<int64_t>(AspectWidth()) * zoom / 100);
  const int32_t height = ClampToInt32(static_cast<int64_t>(videoHeight) * zoom / 100);
  const TRect outer = Windows.AdjustWindowRect(TRect{0, 0, width, height}, Windows.GetStyleBits(Handle));
  SetSize(outer.Width(), outer.Height() + StatusBarHeight);
  if (IsOpened()) Program.Player->PlaceVideo(0, 0, width, height);
}

void TMainWindow::FitVideo() {
  if (!IsOpened()) return;
  const TRect client = ClientRect();
  const int64_t areaWidth = client.Right;
  const int64_t areaHeight = client.Bottom - StatusBarHeight;
  const int64_t aspectWidth = AspectWidth();
  const int64_t videoHeight = Program.Player->VideoHeight;
  if (videoHeight == 0) return;
  if (aspectWidth * areaHeight > videoHeight * areaWidth) {
    DisplayWidth = ClampToInt32(areaWidth);
    DisplayHeight = ClampToInt32(videoHeight * areaWidth / aspectWidth);
  } else {
    DisplayHeight = ClampToInt32(areaHeight);
    DisplayWidth = ClampToInt32(aspectWidth * areaHeight / videoHeight);
  }
  if (DisplayWidth < DisplayHeight)
    Zoom = ClampToInt32(static_cast<int64_t>(DisplayWidth) * 100 / aspectWidth);
  else
    Zoom = ClampToInt32(static_cast<int64_t>(DisplayHeight) * 100 / videoHeight);
  Program.Player->PlaceVideo(ClampToInt32((areaWidth - DisplayWidth) / 2), ClampToInt32((areaHeight - DisplayHeight) / 2),
                             DisplayWidth, DisplayHeight);
  UpdateTitle();
}

void TMainWindow::SetZoom(int32_t percent) {
  if (FullScreen) ExecuteCommand(CmdFullScreen);
  Zoom = percent;
  UpdateStatus();
  SizeToVideo();
  UpdateTitle();
}

void TMainWindow::SetFullScreen(bool value) {
  FullScreen = value;
  if (value) {
    SavedStayOnTop = StayOnTop;
    SetStayOnTop(true);
    SavedPlacement = Windows.GetWindowPlacement(Handle);
    SavedStyle = Windows.GetStyleBits(Handle);
    Windows.SetWindowStyle(Handle, FullScreenStyle);
    Windows.ShowWindow(Handle, SW::SHOWNA);
    const TPoint screen = Windows.ScreenSize();
    Windows.MoveWindow(Handle, 0, 0, screen.X, screen.Y, true);
  } else {
    Windows.SetWindowStyle(Handle, SavedStyle & ~WS::MAXIMIZE);
    Windows.ShowWindow(Handle, SW::SHOWNA);
    Windows.SetWindowPlacement(Handle, SavedPlacement);
    SetStayOnTop(SavedStayOnTop);
  }
}

}  // namespace mova
