// The context menu, the filter property pages and the screen capture.
#include <algorithm>
#include <array>

#include "app/MainWindow.h"
#include "app/ProgramTables.h"

namespace mova {

namespace {

constexpr int32_t FilterMenuPosition = 22;
constexpr uint32_t SaveNameBuffer = 1025;  // 1024 characters and the terminating zero

// The items that need an open file to make sense.
constexpr std::array<int32_t, 10> ItemsNeedingAFile = {CmdPause,  CmdStop,   CmdFullScreen, CmdZoom50,
                                                       CmdZoom100, CmdZoom150, CmdZoom200, CmdZoom300,
                                                       CmdZoom400, CmdScreenCapture};

}  // namespace

uint32_t TMainWindow::MenuCheck(bool value) { return value ? MF::CHECKED : MF::UNCHECKED; }

void TMainWindow::BuildContextMenu(TPopupMenu& popup) {
  // The key table appends the command items with their key texts. It holds
  // the menu only while it is being built: the menu is gone after the call.
  if (Program.Keys) {
    Program.Keys->Menu = &popup;
    Program.Keys->BuildMenu(MenuLayout);
    Program.Keys->Menu = nullptr;
  }
  TPopupMenu* filters = popup.InsertSubmenuBefore(CmdAbout, std::make_unique<TPopupMenu>(), FilterMenuCaption);
  const TVideoPlayer* player = Program.Player.get();
  if (filters && player) {
    const int32_t count = std::min<int32_t>(player->FilterCount, static_cast<int32_t>(player->FilterNames.size()));
    for (int32_t i = 0; i < count; ++i) filters->AppendCommandItem(FilterCommandFirst + i, player->FilterNames[i]);
  }
  popup.InsertSeparatorBefore(CmdAbout);
  // The commands added since, with their keys, after all of the above.
  popup.AppendSeparator();
  if (TPopupMenu* more = popup.AppendSubmenu(std::make_unique<TPopupMenu>(), MoreMenuCaption);
      more != nullptr && Program.Keys) {
    Program.Keys->Menu = more;
    Program.Keys->BuildMenu(MoreMenuLayout);
    Program.Keys->Menu = nullptr;
  }
  if (!IsOpened()) {
    for (int32_t id : ItemsNeedingAFile) popup.EnableMenuItem(static_cast<uint32_t>(id), MF::BYCOMMAND | MF::GRAYED);
    popup.EnableMenuItem(FilterMenuPosition, MF::BYPOSITION | MF::GRAYED);
  }
  popup.CheckMenuItem(CmdFullScreen, MenuCheck(FullScreen));
  popup.CheckMenuItem(CmdStayOnTop, MenuCheck(StayOnTop));
  popup.CheckMenuItem(CmdMute, MenuCheck(Mute));
  popup.CheckMenuItem(CmdRepeat, MenuCheck(Repeat));
  popup.CheckMenuItem(CmdAspectAuto, MenuCheck(Aspect == AspectMode::AspectAuto));
  popup.CheckMenuItem(CmdAspectOrg, MenuCheck(Aspect == AspectMode::AspectOrg));
  popup.CheckMenuItem(CmdAspect43, MenuCheck(Aspect == AspectMode::Aspect43));
  popup.CheckMenuItem(CmdAspect169, MenuCheck(Aspect == AspectMode::Aspect169));
  if (FullScreen) popup.EnableMenuItem(CmdStayOnTop, MF::BYCOMMAND | MF::GRAYED);
}

void TMainWindow::ShowContextMenu() {
  int32_t chosen = 0;
  {
    TPopupMenu popup;
    BuildContextMenu(popup);
    chosen = Windows.TrackPopupMenu(popup, Windows.GetCursorPos(), Handle);
  }
  // The choice arrives as the menu's command message once the menu is gone.
  if (chosen != 0) Windows.SendFormMessage(Handle, WM::COMMAND, static_cast<uint32_t>(chosen) & 0xFFFF, 0);
}

void TMainWindow::SaveScreenCapture() {
  // The bar shows the paused state while the dialog is open.
  if (Program.Player) Program.Player->Pause();
  UpdateStatus();
  TSaveFileDialog dialog;
  dialog.Owner = Handle;
  dialog.FilterName = "All Files";
  dialog.FilterPattern = "*.*";
  dialog.FileName = DefaultCaptureName;
  dialog.MaxFile = SaveNameBuffer;
  dialog.Flags = OFN::OVERWRITEPROMPT;
  if (!Windows.AskSaveFileName(dialog)) return;
  std::string fileName = dialog.FileName;
  if (const auto zero = fileName.find('\0'); zero != std::string::npos) fileName.resize(zero);
  const bool written = Program.Player && Program.Player->CaptureFrame(fileName);
  if (!written) Windows.ShowMessageBox(Handle, fileName + ": Cannot write.", ProgramName, MB::OK | MB::ICONEXCLAMATION);
  // Playback stays paused: the user resumes it with the Pause command.
}

void TMainWindow::ShowFilterPages(int32_t index) {
  if (!Program.Player) return;
  const std::vector<std::string>& names = Program.Player->FilterNames;
  // The ids reach past the names of a small graph; such an id names no filter.
  const std::string name = index >= 0 && static_cast<size_t>(index) < names.size() ? names[index] : std::string();
  Program.Player->ShowFilterPages(name);
}

}  // namespace mova
