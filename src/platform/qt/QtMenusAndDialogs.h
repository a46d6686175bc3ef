#pragma once
// The popup menu and the save dialog on Qt Widgets.
#include <QPoint>
#include <cstdint>

#include "framework/PopupMenu.h"
#include "framework/WindowSystem.h"

class QWidget;

namespace mova {

// Shows `menu` as a QMenu at the global point `at` over `owner` and returns
// the chosen command id, 0 when the menu closed without a choice. Each item's
// text after its tab is shown in the menu's key column.
int32_t ExecPopupMenu(const TPopupMenu& menu, QPoint at, QWidget* owner);

// Runs Qt's own (not the desktop's) save dialog, which works the same on
// every display; see IWindowSystem::AskSaveFileName.
bool ExecSaveDialog(TSaveFileDialog& dialog, QWidget* owner);

}  // namespace mova
