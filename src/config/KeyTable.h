#pragma once
// Key bindings: the built-in defaults or the user's key map, the accelerator
// lookup the message pump asks, display texts and the context menu's command items.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/Cmd.h"
#include "framework/AccelEntry.h"
#include "framework/MenuSink.h"
#include "framework/OperatingSystem.h"

namespace mova {

constexpr int MaxBindings = 256;

struct KeyText {
  bool Alt = false;
  bool Ctrl = false;
  bool Shift = false;
  int32_t Code = 0;
};

// Parses a key text in the key-map form ("CS-F1", "Num+", "O").
KeyText ParseKeyText(const std::string& text);

class TKeyTable {
 public:
  // `commands` is referenced, not copied: it must outlive the key table.
  // Loads the defaults, then the key map, which replaces them when it yields
  // at least one binding. A key map that cannot be opened keeps the defaults;
  // a read error after it was opened throws std::system_error.
  TKeyTable(std::span<const TCmd> commands, std::span<const std::string> defaults, IOperatingSystem& system,
            const std::string& keyMapFile);
  TKeyTable(const TKeyTable&) = delete;
  TKeyTable& operator=(const TKeyTable&) = delete;

  // Bindings whose key name is empty (a line of blanks, "C-") name no key:
  // they are skipped and take no slot. At most MaxBindings are kept.
  void LoadDefaults(std::span<const std::string> defaults);
  void LoadKeyMap(IOperatingSystem& system, const std::string& fileName);
  AccelEntry ParseBinding(const std::string& keyText, const std::string& commandName) const;
  std::string KeyDisplayText(const AccelEntry& entry) const;

  // The accelerator lookup: the command of the first entry, in load order,
  // whose key and modifiers equal these; nothing when no entry matches.
  std::optional<uint16_t> Lookup(uint16_t key, bool alt, bool ctrl, bool shift) const;

  // The command's caption, a tab and the display texts of its keys in binding
  // order, joined by ", "; empty for an id that has no command.
  std::string MenuText(CommandId id) const;
  // Append to Menu only when it is set and valid; otherwise nothing happens.
  void AppendCommandItem(CommandId id);
  void BuildMenu(std::span<const int32_t> layout);

  std::array<AccelEntry, MaxBindings> Accels{};
  int32_t AccelCount = 0;
  std::span<const TCmd> Commands;
  int32_t CommandCount = 0;
  IMenuSink* Menu = nullptr;  // borrowed: set by the context menu before BuildMenu
};

}  // namespace mova
