#pragma once
// The modal parts of the window system on Windows: the popup menu built from
// the core's menu model, the message boxes and the save dialog.
#include <windows.h>

#include <string>

#include "framework/PopupMenu.h"
#include "framework/WindowSystem.h"

namespace mova {

// Shows `menu` at the screen point `at` for `owner` and returns the chosen
// command id, 0 when none was chosen. The menu exists only meanwhile.
int32_t TrackMenuModel(const TPopupMenu& menu, TPoint at, HWND owner);

// MessageBoxA; with MB::USERICON, MessageBoxIndirectA with the program's icon "MAINICON".
int32_t ShowBox(HINSTANCE instance, HWND owner, const std::string& text, const std::string& caption, uint32_t style);

// GetSaveFileNameA with the record of the first version (76 bytes in 32-bit Windows).
bool AskSaveName(TSaveFileDialog& dialog);

}  // namespace mova
