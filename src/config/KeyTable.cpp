#include "config/KeyTable.h"

#include <algorithm>

#include "config/ConfFile.h"
#include "config/KeyNames.h"

namespace mova {

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

KeyText ParseKeyText(const std::string& text) {
  KeyText result;
  std::string prefix;
  std::string keyName = text;
  if (text.size() > 1) {
    std::size_t dash = text.find('-');
    if (dash != std::string::npos) {
      prefix = text.substr(0, dash);
      keyName = text.substr(dash + 1);
    }
  }
  result.Alt = prefix.find('A') != std::string::npos;
  result.Ctrl = prefix.find('C') != std::string::npos;
  result.Shift = prefix.find('S') != std::string::npos;

  for (const TCmd& row : KeyNames) {
    if (row.Name == keyName) {
      result.Code = row.Id;
      return result;
    }
  }
  // Not a word: the key is the character's own code. An empty key name has
  // none and gives 0, which no key has.
  if (!keyName.empty()) result.Code = static_cast<unsigned char>(keyName[0]);
  return result;
}

TKeyTable::TKeyTable(std::span<const TCmd> commands, std::span<const std::string> defaults,
                     IOperatingSystem& system, const std::string& keyMapFile)
    : Commands(commands), CommandCount(static_cast<int32_t>(commands.size())) {
  LoadDefaults(defaults);
  LoadKeyMap(system, keyMapFile);
}

void TKeyTable::LoadDefaults(std::span<const std::string> defaults) {
  // An unpaired last string is ignored, and pairs beyond the table's room too.
  int32_t count = 0;
  for (std::size_t i = 0; i + 1 < defaults.size() && count < MaxBindings; i += 2) {
    AccelEntry entry = ParseBinding(defaults[i], defaults[i + 1]);
    if (entry.Key == 0) continue;  // no key to bind
    Accels[static_cast<std::size_t>(count++)] = entry;
  }
  AccelCount = count;
}

void TKeyTable::LoadKeyMap(IOperatingSystem& system, const std::string& fileName) {
  // Parse into a scratch table so that a file yielding nothing leaves the
  // defaults untouched.
  std::array<AccelEntry, MaxBindings> loaded{};
  int32_t count = 0;
  {
    TConfFile file(system, fileName);
    while (count < MaxBindings && file.NextLine()) {
      AccelEntry entry = ParseBinding(file.Line.Keyword, file.Line.Value(0));
      // A line whose key name is empty (blanks only, "C-") names no key; it
      // is skipped and takes no slot.
      if (entry.Key == 0) continue;
      loaded[static_cast<std::size_t>(count++)] = entry;
    }
  }
  if (count == 0) return;
  std::copy_n(loaded.begin(), count, Accels.begin());
  AccelCount = count;
}

AccelEntry TKeyTable::ParseBinding(const std::string& keyText, const std::string& commandName) const {
  AccelEntry entry;
  entry.Flags = F::VIRTKEY;
  KeyText key = ParseKeyText(keyText);
  entry.Key = static_cast<uint16_t>(key.Code & 0xFFFF);
  if (key.Alt) entry.Flags |= F::ALT;
  if (key.Ctrl) entry.Flags |= F::CONTROL;
  if (key.Shift) entry.Flags |= F::SHIFT;
  for (const TCmd& command : Commands) {
    if (EqualIgnoringCase(command.Name, commandName)) {
      entry.Cmd = static_cast<uint16_t>(command.Id & 0xFFFF);
      break;
    }
  }
  return entry;
}

std::string TKeyTable::KeyDisplayText(const AccelEntry& entry) const {
  std::string text;
  if (entry.Flags & F::ALT) text += "Alt+";
  if (entry.Flags & F::SHIFT) text += "Shift+";
  if (entry.Flags & F::CONTROL) text += "Ctrl+";
  for (const TCmd& row : KeyNames) {
    if (row.Id == entry.Key) return text + row.Name;
  }
  text.push_back(static_cast<char>(entry.Key & 0xFF));
  return text;
}

std::optional<uint16_t> TKeyTable::Lookup(uint16_t key, bool alt, bool ctrl, bool shift) const {
  uint8_t flags = F::VIRTKEY;
  if (alt) flags |= F::ALT;
  if (ctrl) flags |= F::CONTROL;
  if (shift) flags |= F::SHIFT;
  for (int32_t i = 0; i < AccelCount; ++i) {
    const AccelEntry& entry = Accels[static_cast<std::size_t>(i)];
    if (entry.Key == key && entry.Flags == flags) return entry.Cmd;
  }
  return std::nullopt;
}

std::string TKeyTable::MenuText(CommandId id) const {
  auto row = std::find_if(Commands.begin(), Commands.end(), [id](const TCmd& c) { return c.Id == id; });
  if (row == Commands.end()) return {};
  std::string keys;
  for (int32_t i = 0; i < AccelCount; ++i) {
    const AccelEntry& entry = Accels[static_cast<std::size_t>(i)];
    // Compared as the 16-bit value the entry holds, as the accelerator issues it.
    if (entry.Cmd != static_cast<uint16_t>(row->Id & 0xFFFF)) continue;
    // A media key is known by the picture on it, not by a name: the items
    // keep the texts they had before those keys had bindings.
    if (IsMediaKey(entry.Key)) continue;
    if (!keys.empty()) keys += ", ";
    keys += KeyDisplayText(entry);
  }
  return row->MenuCaption + '\t' + keys;
}

void TKeyTable::AppendCommandItem(CommandId id) {
  if (Menu == nullptr || !Menu->IsValid()) return;
  Menu->AppendCommandItem(id, MenuText(id));
}

void TKeyTable::BuildMenu(std::span<const int32_t> layout) {
  for (int32_t entry : layout) {
    if (entry == MenuSeparator) {
      // Nothing can be appended to a missing or invalid menu.
      if (Menu != nullptr && Menu->IsValid()) Menu->AppendSeparator();
    } else {
      AppendCommandItem(entry);
    }
  }
}

}  // namespace mova
