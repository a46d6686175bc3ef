// Arbitrary key texts: parsing never fails, and a binding's display text
// describes the same modifiers and key that were parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/PosixSystem.h"
#include "app/ProgramTables.h"
#include "config/KeyNames.h"
#include "config/KeyTable.h"

namespace {

// Reads a display text back: modifier words, then a key name or one character.
bool DisplayMatches(const std::string& display, const mova::AccelEntry& entry) {
  std::string rest = display;
  auto take = [&rest](const std::string& word) {
    if (rest.rfind(word, 0) != 0 || rest.size() == word.size()) return false;
    rest.erase(0, word.size());
    return true;
  };
  bool alt = take("Alt+");
  bool shift = take("Shift+");
  bool ctrl = take("Ctrl+");
  if (alt != ((entry.Flags & mova::F::ALT) != 0) || shift != ((entry.Flags & mova::F::SHIFT) != 0) ||
      ctrl != ((entry.Flags & mova::F::CONTROL) != 0)) {
    return false;
  }
  for (const mova::TCmd& row : mova::KeyNames) {
    if (row.Name == rest) return row.Id == entry.Key;
  }
  return rest.size() == 1 && static_cast<unsigned char>(rest[0]) == (entry.Key & 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static mova::TPosixSystem system;
  static const mova::TKeyTable keys(mova::CommandTable, mova::DefaultBindings, system, "/nonexistent/keymap");
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t split = input.find('\n');
  std::string keyText = input.substr(0, split);
  std::string command = split == std::string::npos ? std::string() : input.substr(split + 1);

  mova::KeyText parsed = mova::ParseKeyText(keyText);
  if (parsed.Code < 0 || parsed.Code > 0xFF) std::abort();
  if (keyText.empty() && parsed.Code != 0) std::abort();

  mova::AccelEntry entry = keys.ParseBinding(keyText, command);
  if ((entry.Flags & mova::F::VIRTKEY) == 0 || entry.Key != parsed.Code) std::abort();
  if (entry.Key == 0) return 0;
  if (!DisplayMatches(keys.KeyDisplayText(entry), entry)) std::abort();
  // Every command name the table knows binds whatever its letter case.
  if (entry.Cmd != 0 && keys.MenuText(entry.Cmd).empty()) std::abort();
  return 0;
}
