// The context menu, the filter property pages and the screen capture: they
// need a popup menu, a save dialog and the player's frame capture, which the
// window-system and media seams do not offer yet, so for now they do nothing.
#include "app/MainWindow.h"

namespace mova {

void TMainWindow::ShowContextMenu() {}

void TMainWindow::SaveScreenCapture() { UpdateStatus(); }

void TMainWindow::ShowFilterPages(int32_t index) { static_cast<void>(index); }

}  // namespace mova
