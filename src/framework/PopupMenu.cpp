#include "framework/PopupMenu.h"

namespace mova {

void TPopupMenu::AppendCommandItem(int32_t id, const std::string& text) {
  TMenuItem item;
  item.Id = id;
  item.Text = text;
  Entries.push_back(std::move(item));
}

void TPopupMenu::AppendSeparator() {
  TMenuItem item;
  item.Type = TMenuItem::Kind::Separator;
  Entries.push_back(std::move(item));
}

std::pair<TPopupMenu*, size_t> TPopupMenu::FindCommand(int32_t id) {
  for (size_t i = 0; i < Entries.size(); ++i)
    if (Entries[i].Type == TMenuItem::Kind::Command && Entries[i].Id == id) return {this, i};
  for (TMenuItem& item : Entries) {
    if (item.Submenu) {
      if (auto found = item.Submenu->FindCommand(id); found.first) return found;
    }
  }
  return {nullptr, 0};
}

TPopupMenu* TPopupMenu::InsertSubmenuBefore(int32_t id, std::unique_ptr<TPopupMenu> submenu, const std::string& text) {
  auto [menu, position] = FindCommand(id);
  if (menu == nullptr || !submenu) return nullptr;
  TMenuItem item;
  item.Type = TMenuItem::Kind::Submenu;
  item.Text = text;
  item.Submenu = std::move(submenu);
  TPopupMenu* inserted = item.Submenu.get();
  menu->Entries.insert(menu->Entries.begin() + static_cast<std::ptrdiff_t>(position), std::move(item));
  return inserted;
}

TPopupMenu* TPopupMenu::AppendSubmenu(std::unique_ptr<TPopupMenu> submenu, const std::string& text) {
  if (!submenu) return nullptr;
  TMenuItem item;
  item.Type = TMenuItem::Kind::Submenu;
  item.Text = text;
  item.Submenu = std::move(submenu);
  TPopupMenu* appended = item.Submenu.get();
  Entries.push_back(std::move(item));
  return appended;
}

bool TPopupMenu::InsertSeparatorBefore(int32_t id) {
  auto [menu, position] = FindCommand(id);
  if (menu == nullptr) return false;
  TMenuItem item;
  item.Type = TMenuItem::Kind::Separator;
  menu->Entries.insert(menu->Entries.begin() + static_cast<std::ptrdiff_t>(position), std::move(item));
  return true;
}

bool TPopupMenu::EnableMenuItem(uint32_t item, uint32_t flags) {
  TMenuItem* target = nullptr;
  if (flags & MF::BYPOSITION) {
    if (item < Entries.size()) target = &Entries[item];
  } else if (auto [menu, position] = FindCommand(static_cast<int32_t>(item)); menu) {
    target = &menu->Entries[position];
  }
  if (target == nullptr) return false;
  target->Grayed = (flags & MF::GRAYED) != 0;
  return true;
}

bool TPopupMenu::CheckMenuItem(int32_t id, uint32_t check) {
  auto [menu, position] = FindCommand(id);
  if (menu == nullptr) return false;
  menu->Entries[position].Checked = (check & MF::CHECKED) != 0;
  return true;
}

}  // namespace mova
