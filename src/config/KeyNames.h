#pragma once
// Words for the keys that have no single-character name, with their
// virtual-key codes. Searched from the top; `MenuCaption` is unused here.
#include <array>

#include "config/Cmd.h"

namespace mova {

constexpr int KeyNameCount = 46;
extern const std::array<TCmd, KeyNameCount> KeyNames;

}  // namespace mova
