#include "platform/win32/Win32MenusAndDialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/win32/Win32Handles.h"

namespace mova {

namespace {

// Builds the platform menu of `model`: items appended in order, submenus
// inserted at their position, then the grey and check marks applied.
HMENU BuildMenu(const TPopupMenu& model) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  UINT position = 0;
  for (const TMenuItem& item : model.Items()) {
    switch (item.Type) {
      case TMenuItem::Kind::Separator:
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        break;
      case TMenuItem::Kind::Command:
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(static_cast<uint32_t>(item.Id)), item.Text.c_str());
        if (item.Checked) CheckMenuItem(menu, position, MF_BYPOSITION | MF_CHECKED);
        break;
      case TMenuItem::Kind::Submenu: {
        HMENU submenu = item.Submenu ? BuildMenu(*item.Submenu) : CreatePopupMenu();
        // The parent owns the submenu from here on and destroys it with itself.
        if (submenu != nullptr)
          InsertMenuA(menu, position, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                      item.Text.c_str());
        break;
      }
    }
    if (item.Grayed) EnableMenuItem(menu, position, MF_BYPOSITION | MF_GRAYED);
    ++position;
  }
  return menu;
}

}  // namespace

int32_t TrackMenuModel(const TPopupMenu& model, TPoint at, HWND owner) {
  HMENU menu = BuildMenu(model);
  if (menu == nullptr) return 0;
  // A popup menu closes properly only when its owner is the foreground window.
  SetForegroundWindow(owner);
  const BOOL chosen = ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.X, at.Y,
                                       0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  return static_cast<int32_t>(chosen);
}

int32_t ShowBox(HINSTANCE instance, HWND owner, const std::string& text, const std::string& caption,
                uint32_t style) {
  if ((style & MB::USERICON) == 0) return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
  MSGBOXPARAMSA box{};
  box.cbSize = sizeof(box);
  box.hwndOwner = owner;
  box.hInstance = instance;
  box.lpszText = text.c_str();
  box.lpszCaption = caption.c_str();
  box.dwStyle = style;
  box.lpszIcon = "MAINICON";
  return MessageBoxIndirectA(&box);
}

bool AskSaveName(TSaveFileDialog& dialog) {
  if (dialog.MaxFile == 0) return false;
  // The filter: description and pattern, each ending with a zero, and one more zero.
  std::string filter = dialog.FilterName;
  filter += '\0';
  filter += dialog.FilterPattern;
  filter += '\0';
  std::vector<char> name(dialog.MaxFile, '\0');
  std::copy_n(dialog.FileName.begin(), std::min<size_t>(dialog.FileName.size(), dialog.MaxFile - 1), name.begin());
  OPENFILENAMEA record{};
  // The record as the first version defined it, ending with lpTemplateName,
  // without the fields added later: every version of the dialog accepts it.
  // It is 76 bytes in a 32-bit program and 136 in a 64-bit one.
  static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEA, pvReserved) == 76,
                "the 76-byte record of 32-bit Windows");
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record.hwndOwner = ToHwnd(dialog.Owner);
  record.lpstrFilter = filter.c_str();
  record.nFilterIndex = 1;
  record.lpstrFile = name.data();
  record.nMaxFile = dialog.MaxFile;
  record.Flags = dialog.Flags;
  if (!GetSaveFileNameA(&record)) return false;
  dialog.FileName = name.data();
  return true;
}

}  // namespace mova
