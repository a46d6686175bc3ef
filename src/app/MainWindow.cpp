#include "app/MainWindow.h"

#include "config/KeyNames.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ProgramTables.h"

namespace mova {

std::optional<int32_t> PositionUnder(int32_t x, int32_t clientWidth, int32_t durationMs) {
  if (clientWidth <= 0) return std::nullopt;  // a bar without width has no position under it
  double position = static_cast<double>(x) / static_cast<double>(clientWidth) * static_cast<double>(durationMs);
  // A pointer far outside a narrow window must not overflow the millisecond
  // range; the player limits the target to the media anyway.
  if (position >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (position <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(std::trunc(position));
}

TMainWindow::TMainWindow(IWindowSystem& windows, TProgramState& program)
    : TSForm(windows, ProgramName), Program(program) {}

bool TMainWindow::IsOpened() const { return Program.Player && Program.Player->Opened; }

void TMainWindow::HandleMessage(FormMessage& message) {
  message.Result = 0;
  const uint32_t msg = message.Msg;
  if (msg == WM::MOUSEWHEEL || (Program.WheelMessage != 0 && msg == Program.WheelMessage)) {
    WheelStep(message.WParam);
    return;
  }
  switch (msg) {
    case WM::DESTROY:
      Windows.PostQuitMessage(0);
      return;
    case WM::SIZE:
      FitVideo();
      return;
    case WM::PAINT:
      Paint();
      return;
    case WM::CLOSE:
      if (Program.Player) {
        Program.Player->Pause();
        Program.Player->Close();
      }
      Windows.DestroyWindow(Handle);
      return;
    case WM::GETMINMAXINFO:
      if (TMinMaxInfo* info = Windows.MinMaxInfo(message.LParam)) info->MaxTrackSize = {MaxTrackSize, MaxTrackSize};
      return;
    case WM::COMMAND:
      ExecuteCommand(LoWord(message.WParam));
      return;
    case WM::MOUSEMOVE:
      DragStep();
      return;
    case WM::LBUTTONDOWN:
    case WM::LBUTTONDBLCLK:
      LeftPress(message.LParam);
      return;
    case WM::LBUTTONUP:
      DragEnd();
      return;
    case WM::RBUTTONUP:
      ShowContextMenu();
      return;
    case WM::MBUTTONUP:
      if (Program.Player) Program.Player->Stop();
      UpdateStatus();
      return;
    case WM::DROPFILES:
      DropFiles(message.WParam);
      return;
    case WM::APPCOMMAND: {
      // A media key the key map did not take as a key, or a remote's
      // button: the key it stands for, looked up in the key map.
      const std::optional<uint16_t> key = KeyOfAppCommand(HiWord(message.LParam) & 0x0FFF);
      const std::optional<uint16_t> id = key && Program.Keys ? Program.Keys->Lookup(*key, false, false, false)
                                                             : std::nullopt;
      if (!id) return TSForm::HandleMessage(message);
      ExecuteCommand(*id);
      message.Result = 1;
      return;
    }
    default:
      TSForm::HandleMessage(message);
  }
}

void TMainWindow::WheelStep(MessageParam wParam) {
  // A turn away from the user steps back, one toward the user forward; one
  // second per message whatever the size of the turn. The rotation is read
  // from the parameter's low 32 bits as a signed number, which a 64-bit
  // system fills exactly as a 32-bit one does.
  const int32_t rotation = static_cast<int32_t>(static_cast<uint32_t>(wParam));
  SeekBy(rotation > 0 ? -1000 : 1000);
  UpdateStatus();
}

void TMainWindow::SeekBy(int32_t deltaMs) {
  if (!Program.Player) return;
  // Near the end of the millisecond range the sum must not overflow; the
  // player limits the target to the media anyway.
  const int64_t target = static_cast<int64_t>(Program.Player->GetPosition()) + deltaMs;
  Program.Player->Seek(static_cast<int32_t>(
      std::clamp<int64_t>(target, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max())));
}

void TMainWindow::PlayOrToggle() {
  if (!Program.Player) return;
  if (Program.Player->State == PlayerState::Stopped)
    Program.Player->Play();
  else
    Program.Player->TogglePause();
}

void TMainWindow::SeekTo(std::optional<int32_t> position) {
  if (Program.Player && position) Program.Player->Seek(*position);
}

void TMainWindow::LeftPress(MessageParam lParam) {
  const TRect client = ClientRect();
  const int32_t x = LoWord(lParam);
  const int32_t y = HiWord(lParam);
  if (y < client.Bottom - StatusBarHeight) {
    PlayOrToggle();
    UpdateStatus();
    return;
  }
  Windows.SetCapture(Handle);
  if (Program.Player) {
    StateBeforeDrag = Program.Player->State;
    Program.Player->Pause();
    SeekTo(PositionUnder(x, client.Right, Program.Player->DurationMs));
  }
  UpdateStatus();
}

void TMainWindow::DragStep() {
  if (Windows.GetCapture() != Handle) return;
  const TPoint cursor = Windows.GetCursorClientPos(Handle);
  const TRect client = ClientRect();
  if (Program.Player) SeekTo(PositionUnder(cursor.X, client.Right, Program.Player->DurationMs));
  UpdateStatus();
}

void TMainWindow::DragEnd() {
  if (Windows.GetCapture() != Handle) return;
  Windows.ReleaseCapture();
  if (Program.Player && StateBeforeDrag == PlayerState::Playing) Program.Player->Play();
}

void TMainWindow::Paint() {
  std::unique_ptr<IPaintTarget> target = Windows.BeginPaint(Handle);
  if (!target) return;
  PaintStatusBar(*target, StatusBarRect());
}

void TMainWindow::OpenFile(const std::string& fileName) {
  if (!Program.Player) return;
  TVideoPlayer& player = *Program.Player;
  player.Open(fileName);
  if (player.Opened) {
    Aspect = AspectMode::AspectAuto;
    SizeToVideo();
    UpdateTitle();
    UpdateAudioText();
    player.SetVolume(CurrentVolume());
    player.Play();
    return;
  }
  UpdateTitle();
  UpdateAudioText();
  UpdateStatus();
  Windows.ShowMessageBox(Handle, fileName + ": Cannot play.", ProgramName, MB::OK | MB::ICONEXCLAMATION);
}

void TMainWindow::DropFiles(MessageParam drop) {
  std::string fileName = Windows.DroppedFile(drop, 0);
  Windows.DragFinish(drop);
  // The name ends at its first zero byte, as the platform hands it over.
  if (const auto zero = fileName.find('\0'); zero != std::string::npos) fileName.resize(zero);
  OpenFile(fileName);
}

void TMainWindow::EndReached() {
  // A file without a duration (a still picture) has nothing to repeat:
  // playing it again would only end it again at once, on every tick.
  if (!Repeat || !Program.Player || Program.Player->Duration <= 0) return;
  Program.Player->Seek(0);
  Program.Player->Play();
}

void TMainWindow::ExecuteCommand(CommandId id) {
  TVideoPlayer* player = Program.Player.get();
  switch (id) {
    case CmdPause:
      PlayOrToggle();
      break;
    case CmdStop:
      if (player) player->Stop();
      break;
    case CmdSeekForward:
      SeekBy(1000);
      break;
    case CmdSeekBack:
      SeekBy(-1000);
      break;
    case CmdAspect43:
      Aspect = AspectMode::Aspect43;
      FitVideo();
      break;
    case CmdMute:
      Mute = !Mute;
      if (player) player->SetVolume(CurrentVolume());
      break;
    case CmdSizeToVideo:
      SizeToVideo();
      break;
    case CmdStayOnTop:
      SetStayOnTop(!StayOnTop);
      break;
    case CmdFullScreen:
      SetFullScreen(!FullScreen);
      break;
    case CmdAspectOrg:
      Aspect = AspectMode::AspectOrg;
      FitVideo();
      break;
    case CmdRepeat:
      Repeat = !Repeat;
      break;
    case CmdScreenCapture:
      SaveScreenCapture();
      break;
    case CmdAspect169:
      Aspect = AspectMode::Aspect169;
      FitVideo();
      break;
    case CmdAspectAuto:
      Aspect = AspectMode::AspectAuto;
      FitVideo();
      break;
    case CmdAbout:
      ShowAbout();
      break;
    case CmdExit:
      RequestClose();
      break;
    default:
      if (ExecuteMoreCommand(id)) break;
      if (id >= CmdZoomBase && id <= ZoomCommandLast)
        SetZoom(id - CmdZoomBase);
      else if (id >= FilterCommandFirst && id <= FilterCommandLast)
        ShowFilterPages(id - FilterCommandFirst);
      break;
  }
  UpdateStatus();
}

}  // namespace mova
