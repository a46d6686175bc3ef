#include "app/Startup.h"

#include <exception>
#include <memory>
#include <span>
#include <vector>

#include "app/DesktopPresence.h"
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "app/ProgramTables.h"
#include "config/ProfileFolder.h"

namespace mova {

namespace {

constexpr int32_t InitialWidth = 320;
constexpr int32_t InitialHeight = 240;

int32_t RunStarted(const TStartupServices& services, TProgramState& program, std::unique_ptr<TMainWindow>& window) {
  IWindowSystem& windows = services.Windows;
  program.WheelMessage = windows.RegisterNamedMessage("MSWHEEL_ROLLMSG");
  program.ProfileFolder = ResolveProfileFolder("mova", services.System);
  program.PathRules = services.System.PathRules();

  window = std::make_unique<TMainWindow>(windows, program);
  window->Zoom = 100;
  window->ClassStyle = CS::VREDRAW | CS::HREDRAW | CS::DBLCLKS;
  window->Style = WS::OVERLAPPEDWINDOW | WS::CLIPCHILDREN;
  window->ExStyle = WS_EX::ACCEPTFILES;
  window->ClassBrush = TClassBrush::Black;
  window->CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, InitialWidth, InitialHeight);
  if (window->Handle == 0) {
    services.Errors << "mova: the main window cannot be created (no display?)" << std::endl;
    return ExitNoWindow;
  }

  program.System = &services.System;
  program.Timers = &services.Timers;
  program.Player = std::make_unique<TVideoPlayer>(services.Media, services.Timers, services.System);
  TMainWindow* mainWindow = window.get();
  program.Player->OnProgress = [mainWindow] { mainWindow->UpdateStatus(); };
  program.Player->OnEndReached = [mainWindow] { mainWindow->EndReached(); };

  program.Keys = std::make_unique<TKeyTable>(CommandTable, AllDefaultBindings, services.System,
                                             program.ProfileFolder + "keymap");
  std::unique_ptr<TDesktopPresence> presence;
  // However start-up ends (a failure escaping too), the window stops
  // refreshing the presence before it goes.
  struct TForget {
    TProgramState& Program;
    ~TForget() { Program.Presence = nullptr; }
  } forget{program};
  if (services.Desktop != nullptr) {
    presence = std::make_unique<TDesktopPresence>(*services.Desktop, *window, program);
    program.Presence = presence.get();
  }
  window->Show();
  program.Player->OwnerWindow = window->Handle;
  const std::vector<std::string> arguments = services.System.Arguments();
  if (!arguments.empty() && !IsProfileOption(arguments.front())) window->OpenFile(arguments.front());
  window->UpdateStatus();

  TKeyTable* keys = program.Keys.get();
  const int32_t exitCode =
      RunMessageLoop(windows, window->Handle, [keys](uint16_t key, bool alt, bool ctrl, bool shift) {
        return keys->Lookup(key, alt, ctrl, shift);
      }, std::span<const AccelEntry>(keys->Accels.data(), static_cast<size_t>(keys->AccelCount)));
  // The screen is let go, and the controls stop asking, before the engine goes.
  program.Presence = nullptr;
  presence.reset();
  program.Keys.reset();
  program.Player.reset();
  return exitCode;
}

}  // namespace

int32_t RunProgram(const TStartupServices& services) {
  TProgramState program;
  std::unique_ptr<TMainWindow> window;
  try {
    return RunStarted(services, program, window);
  } catch (const std::exception& failure) {
    services.Errors << "mova: " << failure.what() << std::endl;
  } catch (...) {
    services.Errors << "mova: unexpected failure" << std::endl;
  }
  // The engine goes before the window its video lives in.
  program.Keys.reset();
  program.Player.reset();
  return ExitFailure;
}

}  // namespace mova
