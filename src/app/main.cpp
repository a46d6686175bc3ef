// The composition root: the only place that names the platform backends.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "platform/gstreamer/GstMediaPlatform.h"
#include "platform/posix/PosixSystem.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtDesktopSession.h"
#include "platform/qt/QtTimerService.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/SessionBus.h"

int main(int argc, char** argv) {
  // Before any thread starts: it may change the environment.
  mova::NameSessionBus();
  // The system has split the command line; only the first argument is used.
  mova::TPosixSystem system(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));

  // The media platform starts first, so that its plugins load while the Qt
  // application connects to the display; it is shut down last.
  mova::TGstMediaPlatform media;
  auto application = mova::OpenQtApplication(argc, argv, mova::ExitNoWindow);
  int32_t exitCode = mova::ExitFailure;
  {
    mova::TQtWindowSystem windows;
    mova::TQtTimerService timers;
    mova::TQtDesktopSession desktop;
    const mova::TStartupServices services{windows, media, timers, system, std::cerr, &desktop};
    exitCode = mova::RunProgram(services);
  }
  return exitCode;
}
