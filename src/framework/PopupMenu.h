#pragma once
// A popup menu as the program builds it: items, separators and submenus with
// their grey and check states, addressed by command id or by position as the
// Windows menu calls address them. The window system shows it (TrackPopupMenu)
// and answers the chosen command; it lives only while it is being built and shown.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/MenuSink.h"

namespace mova {

// Menu flags, with the values of the Windows menu calls.
namespace MF {
constexpr uint32_t BYCOMMAND = 0x000;
constexpr uint32_t ENABLED = 0x000;
constexpr uint32_t UNCHECKED = 0x000;
constexpr uint32_t STRING = 0x000;
constexpr uint32_t GRAYED = 0x001;
constexpr uint32_t CHECKED = 0x008;
constexpr uint32_t POPUP = 0x010;
constexpr uint32_t BYPOSITION = 0x400;
constexpr uint32_t SEPARATOR = 0x800;
}  // namespace MF

class TPopupMenu;

struct TMenuItem {
  enum class Kind : uint8_t { Command, Separator, Submenu };
  Kind Type = Kind::Command;
  int32_t Id = 0;    // the command of a command item; 0 otherwise
  std::string Text;  // caption, a tab and the key column; empty for a separator
  bool Grayed = false;
  bool Checked = false;
  std::unique_ptr<TPopupMenu> Submenu;  // only for Kind::Submenu
};

class TPopupMenu : public IMenuSink {
 public:
  TPopupMenu() = default;
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;

  void AppendCommandItem(int32_t id, const std::string& text) override;
  void AppendSeparator() override;
  bool IsValid() const override { return true; }

  // Inserts `submenu` with caption `text` before the item with command `id`
  // (looked for in this menu, then in its submenus); the submenu becomes part
  // of this menu. Returns the inserted submenu, or null (the submenu dropped)
  // when no item has that command.
  TPopupMenu* InsertSubmenuBefore(int32_t id, std::unique_ptr<TPopupMenu> submenu, const std::string& text);
  // Inserts a separator before the item with command `id`; false when there is none.
  bool InsertSeparatorBefore(int32_t id);
  // Appends a submenu at the end and returns it.
  TPopupMenu* AppendSubmenu(std::unique_ptr<TPopupMenu> submenu, const std::string& text);
  // Greys or enables an item: `item` is a command id with MF::BYCOMMAND, a
  // position with MF::BYPOSITION. False when there is no such item.
  bool EnableMenuItem(uint32_t item, uint32_t flags);
  // Sets or clears the check mark of the item with command `id` (MF::CHECKED
  // or MF::UNCHECKED). False when there is no such item.
  bool CheckMenuItem(int32_t id, uint32_t check);

  const std::vector<TMenuItem>& Items() const { return Entries; }

 private:
  // The menu holding the item with command `id` and the item's position there.
  std::pair<TPopupMenu*, size_t> FindCommand(int32_t id);

  std::vector<TMenuItem> Entries;
};

}  // namespace mova
