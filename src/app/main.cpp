// The composition root: the only place that names the platform backends.
#include <iostream>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "config/ProfileFolder.h"
#include "platform/gstreamer/GstMediaPlatform.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTimerService.h"
#include "platform/qt/QtWindowSystem.h"

int main(int argc, char** argv) {
  // Only the first argument is ever used; the system has split the command line.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  // The media platform starts first, so that its plugins load while the Qt
  // application connects to the display; it is shut down last.
  mova::TGstMediaPlatform media;
  auto application = mova::OpenQtApplication(argc, argv, mova::ExitNoWindow);
  int32_t exitCode = mova::ExitFailure;
  {
    mova::TQtWindowSystem windows;
    mova::TQtTimerService timers;
    const mova::TStartupServices services{
        windows, media, timers,
        [](const std::string& subFolder) { return mova::ResolveProfileFolder(subFolder); }, std::cerr};
    exitCode = mova::RunProgram(services, arguments);
  }
  return exitCode;
}
