#pragma once
// Words for the keys that have no single-character name, with their
// virtual-key codes. Searched from the top; `MenuCaption` is unused here.
#include <array>
#include <cstdint>
#include <optional>

#include "config/Cmd.h"

namespace mova {

constexpr int KeyNameCount = 55;
extern const std::array<TCmd, KeyNameCount> KeyNames;

// The key a WM_APPCOMMAND command stands for (a remote's or a keyboard's
// media key), so that the key map decides what it does; nothing for the
// commands that are no media key.
std::optional<uint16_t> KeyOfAppCommand(uint32_t command);
// Whether `key` is one of the media keys above.
bool IsMediaKey(uint16_t key);

}  // namespace mova
