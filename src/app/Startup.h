#pragma once
// The program's start-up and shutdown, with the platform services handed in
// by the composition root.
#include <cstdint>
#include <ostream>
#include <string>

#include "framework/DesktopSession.h"
#include "framework/OperatingSystem.h"
#include "framework/WindowSystem.h"
#include "player/MediaGraph.h"
#include "framework/TimerService.h"

namespace mova {

constexpr int32_t ExitNoWindow = 255;
constexpr int32_t ExitFailure = 1;

struct TStartupServices {
  IWindowSystem& Windows;
  IMediaPlatform& Media;
  ITimerService& Timers;
  // Files, the environment, the command line and the executable's path.
  IOperatingSystem& System;
  // Where a failure that ends the program is reported, one line each.
  std::ostream& Errors;
  // The desktop's screen saver and media controls; null where there are none.
  IDesktopSession* Desktop = nullptr;
};

// Runs the program with the system's arguments and returns the process exit
// code: the message loop's quit code after a normal close, ExitNoWindow when
// the main window cannot be created, ExitFailure when a failure escapes
// start-up or the loop.
int32_t RunProgram(const TStartupServices& services);

}  // namespace mova
