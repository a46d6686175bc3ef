#pragma once
#include <cstdint>

namespace mova {

// A window of the window system, as the core passes it around without knowing
// what it is: 0 means no window. The Qt backend stores the QWidget's address
// here; the Win32 backend would store the HWND.
using WindowHandle = std::uintptr_t;

}  // namespace mova
