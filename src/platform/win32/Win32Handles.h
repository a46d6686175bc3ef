#pragma once
// How the core's window handles and message parameters carry Win32 ones: a
// WindowHandle holds the HWND itself, and a message's parameters and result
// are WPARAM, LPARAM and LRESULT unchanged, since both are pointer-sized.
#include <windows.h>

#include <cstdint>

#include "framework/FormMessage.h"
#include "framework/WindowHandle.h"

namespace mova {

inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

static_assert(sizeof(MessageParam) == sizeof(WPARAM) && sizeof(MessageParam) == sizeof(LPARAM),
              "a message parameter carries WPARAM and LPARAM whole");
static_assert(sizeof(MessageResult) == sizeof(LRESULT), "a message result carries LRESULT whole");

}  // namespace mova
