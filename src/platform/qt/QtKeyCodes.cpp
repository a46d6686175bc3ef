#include "platform/qt/QtKeyCodes.h"

#include <Qt>

namespace mova {

namespace {

constexpr uint16_t VK_NUMPAD0 = 0x60;
constexpr uint16_t VK_F1 = 0x70;

std::optional<uint16_t> KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>(VK_NUMPAD0 + (key - Qt::Key_0));
  switch (key) {
    case Qt::Key_Asterisk: return 0x6A;  // VK_MULTIPLY
    case Qt::Key_Plus: return 0x6B;      // VK_ADD
    case Qt::Key_Minus: return 0x6D;     // VK_SUBTRACT
    case Qt::Key_Period:
    case Qt::Key_Comma: return 0x6E;     // VK_DECIMAL
    case Qt::Key_Slash: return 0x6F;     // VK_DIVIDE
    case Qt::Key_Enter:
    case Qt::Key_Return: return 0x0D;
    // With Num Lock off the keypad gives the navigation keys.
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_End: return 0x23;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Clear: return 0x0C;
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<uint16_t> VirtualKeyFromQtKey(int key, bool keypad) {
  if (keypad) {
    if (auto code = KeypadKey(key)) return code;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(VK_F1 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Clear: return 0x0C;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_NumLock: return 0x90;
    // The media keys, as the key names give them.
    case Qt::Key_MediaTogglePlayPause: return 0xB3;
    case Qt::Key_MediaPlay: return 0xFA;
    case Qt::Key_MediaPause: return 0x0E;
    case Qt::Key_MediaStop: return 0xB2;
    case Qt::Key_MediaNext: return 0xB0;
    case Qt::Key_MediaPrevious: return 0xB1;
    case Qt::Key_VolumeUp: return 0xAF;
    case Qt::Key_VolumeDown: return 0xAE;
    case Qt::Key_VolumeMute: return 0xAD;
    case Qt::Key_ScrollLock: return 0x91;
    // Shifted digits of a US keyboard.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    // The punctuation keys (VK_OEM_*), plain and shifted.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 0xDE;
    default: return std::nullopt;
  }
}

}  // namespace mova
