#pragma once
// The event vocabulary between a window system and the forms: one message is
// an id and two parameters, laid out and numbered as the Windows messages, so
// that every backend speaks the same language to the core.
#include <cstdint>

namespace mova {

// A message's parameters and its result are as wide as a pointer, as WPARAM,
// LPARAM and LRESULT are: 32 bits in a 32-bit program, 64 in a 64-bit one, so
// that a parameter that carries an address (the record of WM::GETMINMAXINFO,
// the files of WM::DROPFILES) arrives whole.
using MessageParam = std::uintptr_t;
using MessageResult = std::intptr_t;

struct FormMessage {
  uint32_t Msg = 0;
  MessageParam WParam = 0;
  MessageParam LParam = 0;
  MessageResult Result = 0;
};

// Message ids.
namespace WM {
constexpr uint32_t CREATE = 0x0001;
constexpr uint32_t DESTROY = 0x0002;
constexpr uint32_t SIZE = 0x0005;
constexpr uint32_t PAINT = 0x000F;
constexpr uint32_t CLOSE = 0x0010;
constexpr uint32_t QUIT = 0x0012;
constexpr uint32_t GETMINMAXINFO = 0x0024;
constexpr uint32_t NCCREATE = 0x0081;
constexpr uint32_t NCDESTROY = 0x0082;
constexpr uint32_t KEYDOWN = 0x0100;
constexpr uint32_t KEYUP = 0x0101;
constexpr uint32_t SYSKEYDOWN = 0x0104;
constexpr uint32_t SYSKEYUP = 0x0105;
constexpr uint32_t COMMAND = 0x0111;
constexpr uint32_t SYSCOMMAND = 0x0112;
constexpr uint32_t MOUSEMOVE = 0x0200;
constexpr uint32_t LBUTTONDOWN = 0x0201;
constexpr uint32_t LBUTTONUP = 0x0202;
constexpr uint32_t LBUTTONDBLCLK = 0x0203;
constexpr uint32_t RBUTTONDOWN = 0x0204;
constexpr uint32_t RBUTTONUP = 0x0205;
constexpr uint32_t RBUTTONDBLCLK = 0x0206;
constexpr uint32_t MBUTTONDOWN = 0x0207;
constexpr uint32_t MBUTTONUP = 0x0208;
constexpr uint32_t MBUTTONDBLCLK = 0x0209;
constexpr uint32_t MOUSEWHEEL = 0x020A;
constexpr uint32_t CAPTURECHANGED = 0x0215;
constexpr uint32_t DROPFILES = 0x0233;
constexpr uint32_t APPCOMMAND = 0x0319;
}  // namespace WM

// WM::SYSCOMMAND commands.
namespace SC {
constexpr uint32_t CLOSE = 0xF060;
}  // namespace SC

// WM::SIZE kinds.
namespace SIZE {
constexpr uint32_t RESTORED = 0;
constexpr uint32_t MAXIMIZED = 2;
}  // namespace SIZE

// Mouse-message key flags (WParam).
namespace MK {
constexpr uint32_t LBUTTON = 0x0001;
constexpr uint32_t RBUTTON = 0x0002;
constexpr uint32_t SHIFT = 0x0004;
constexpr uint32_t CONTROL = 0x0008;
constexpr uint32_t MBUTTON = 0x0010;
}  // namespace MK

// Window styles.
namespace WS {
constexpr uint32_t OVERLAPPEDWINDOW = 0x00CF0000;
constexpr uint32_t CAPTION = 0x00C00000;
constexpr uint32_t THICKFRAME = 0x00040000;
constexpr uint32_t MINIMIZEBOX = 0x00020000;
constexpr uint32_t MAXIMIZEBOX = 0x00010000;
constexpr uint32_t MAXIMIZE = 0x01000000;
constexpr uint32_t CLIPCHILDREN = 0x02000000;
constexpr uint32_t VISIBLE = 0x10000000;
}  // namespace WS
namespace WS_EX {
constexpr uint32_t ACCEPTFILES = 0x00000010;
}  // namespace WS_EX

// Window-class styles.
namespace CS {
constexpr uint32_t VREDRAW = 0x0001;
constexpr uint32_t HREDRAW = 0x0002;
constexpr uint32_t DBLCLKS = 0x0008;
}  // namespace CS

// The default position of a new window, for both x and y.
namespace CW {
constexpr int32_t USEDEFAULT = static_cast<int32_t>(0x80000000u);
}  // namespace CW

// The halves of a parameter's low 32 bits: low 16 bits first.
constexpr uint16_t LoWord(MessageParam value) { return static_cast<uint16_t>(value & 0xFFFF); }
constexpr uint16_t HiWord(MessageParam value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }
constexpr MessageParam MakeParam(uint16_t low, uint16_t high) {
  return static_cast<MessageParam>(low) | (static_cast<MessageParam>(high) << 16);
}
// Client coordinates of a mouse message, each a signed 16-bit half.
constexpr MessageParam MakePointParam(int32_t x, int32_t y) {
  return MakeParam(static_cast<uint16_t>(x), static_cast<uint16_t>(y));
}

}  // namespace mova
