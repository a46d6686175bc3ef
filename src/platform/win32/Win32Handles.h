#pragma once
// How the core's window handles and message parameters carry Win32 ones: a
// WindowHandle holds the HWND itself, and on 32-bit Windows a message's
// parameters are the 32-bit WPARAM and LPARAM unchanged.
#include <windows.h>

#include <cstdint>

#include "framework/WindowHandle.h"

namespace mova {

inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

}  // namespace mova
