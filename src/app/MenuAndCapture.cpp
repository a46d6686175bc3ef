// The context menu, the filter property pages and the screen capture.
#include "app/MainWindow.h"

namespace mova {

// The context menu needs a popup menu from the window system, which it does
// not offer yet: a right-button release shows nothing.
void TMainWindow::ShowContextMenu() {}

// Saving the picture needs a save dialog from the window system, which it
// does not offer yet: the command only refreshes the status bar.
void TMainWindow::SaveScreenCapture() { UpdateStatus(); }

void TMainWindow::ShowFilterPages(int32_t index) {
  if (!Program.Player) return;
  const std::vector<std::string>& names = Program.Player->FilterNames;
  // The ids reach past the names of a small graph; such an id names no filter.
  const std::string name = index >= 0 && static_cast<size_t>(index) < names.size() ? names[index] : std::string();
  Program.Player->ShowFilterPages(name);
}

}  // namespace mova
