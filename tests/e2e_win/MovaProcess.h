#pragma once
// The real mova.exe as the Windows end-to-end tests see it: a process of its
// own, its windows found by class and title, keys posted to its queue, and
// its client area read off the screen.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "support/StatusBarPixels.h"
#include "support/WaitFor.h"

namespace mova::test {

class MovaProcess {
 public:
  // Starts mova.exe with `arguments` after its name; `profileRoot`, when not
  // empty, is handed over as QADLPROF (the folder whose "mova" folder is the
  // profile), else the variable is removed.
  MovaProcess(const std::string& arguments, const std::string& profileRoot);
  // Ends a process that still runs.
  ~MovaProcess();
  MovaProcess(const MovaProcess&) = delete;
  MovaProcess& operator=(const MovaProcess&) = delete;

  bool Started() const { return Process.hProcess != nullptr; }
  bool Running();
  // The exit code once the process has ended within `timeout`.
  std::optional<DWORD> Wait(std::chrono::milliseconds timeout);
  // The first visible window of the process of class `className` whose title
  // `matches`, waited for up to `timeout`; null when none came.
  HWND WaitForWindow(const char* className, const std::function<bool(const std::string&)>& matches,
                     std::chrono::milliseconds timeout = std::chrono::seconds(15));
  // The main window ("TMovaClass") once its title is `title`.
  HWND WaitForMain(const std::string& title, std::chrono::milliseconds timeout = std::chrono::seconds(15));
  // The process's top-level windows, class and title, for a failure message.
  std::string DescribeWindows();

 private:
  PROCESS_INFORMATION Process{};
};

// A path as Windows writes it: "Z:" and backslashes for the build machine's files.
std::string WindowsPath(const std::string& path);
std::string Title(HWND window);
SIZE ClientSize(HWND window);
// Puts the window at the top left corner of the screen, above the others.
void MoveToCorner(HWND window);
// The window's client area as shown on the screen.
Snapshot ClientPixels(HWND window);
// A press and release of the virtual key, through the window's message queue.
void PressKey(HWND window, UINT virtualKey);
// The text of a message box.
std::string BoxText(HWND box);

}  // namespace mova::test
