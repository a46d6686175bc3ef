#pragma once
// Qt key codes to the Windows virtual-key codes the key table uses.
#include <cstdint>
#include <optional>

namespace mova {

// The virtual-key code of a Qt key; `keypad` tells a keypad key (Qt's
// KeypadModifier) from its main-keyboard twin. Shifted symbols of a US
// keyboard give the key they are on ("!" is the key "1"). Nothing for keys
// without a code (modifiers alone, unknown keys).
std::optional<uint16_t> VirtualKeyFromQtKey(int key, bool keypad);

}  // namespace mova
