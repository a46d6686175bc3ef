// The composition root on Windows: the core with the Win32 window system,
// the multimedia timer, DirectShow and the Win32 operating-system seam.
#include <windows.h>
#include <objbase.h>

#include <iostream>

#include "app/Startup.h"
#include "platform/directshow/DShowMediaPlatform.h"
#include "platform/win32/Win32DesktopSession.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32TimerService.h"
#include "platform/win32/Win32WindowSystem.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // COM lives from before the window until after the player is gone.
  CoInitialize(nullptr);
  int32_t exitCode = mova::ExitFailure;
  {
    mova::TWin32System system;
    mova::TDShowMediaPlatform media;
    mova::TWin32WindowSystem windows(instance);
    mova::TWin32TimerService timers(instance);
    mova::TWin32DesktopSession desktop;
    const mova::TStartupServices services{windows, media, timers, system, std::cerr, &desktop};
    exitCode = mova::RunProgram(services);
  }
  CoUninitialize();
  return exitCode;
}
