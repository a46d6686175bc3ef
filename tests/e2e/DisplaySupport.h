#pragma once
// What the end-to-end tests share: the player under test on the virtual
// display, its windows, their sizes and pixels, and the test clip.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "e2e/ChildProcess.h"
#include "support/StatusBarPixels.h"
#include "support/WaitFor.h"

namespace mova::test {

bool HaveDisplay();

// A private profile root (for QADLPROF), so that the tester's own key map
// plays no part; its "mova" folder holds `keymap`. Returns the root.
std::string ProfileRoot(const std::string& name, const std::string& keymap = "");

// The visible windows of process `pid` whose title matches `pattern`.
std::vector<std::string> Windows(pid_t pid, const std::string& pattern);

// All visible windows of process `pid`, popups without a title included.
std::vector<std::string> VisibleWindows(pid_t pid);

// Every thread's stack of process `pid`, read with gdb; for the report of a
// player that stopped answering.
std::string Stacks(pid_t pid);

// The player under test. The virtual display refuses a connection now and
// then, to any client; a start that failed only for that is made again.
class Player {
 public:
  Player(std::vector<std::string> arguments, std::map<std::string, std::string> environment);
  ChildProcess& operator*() { return *Process; }
  ChildProcess* operator->() { return Process.get(); }

  // Starts the program again when it ended because the display refused it
  // (at most three times); true when it did.
  bool RestartIfRefused();
  // Waits for `count` visible windows titled to match `pattern`.
  std::vector<std::string> WaitForWindows(const std::string& pattern, size_t count,
                                          std::chrono::seconds timeout = std::chrono::seconds(15));

 private:
  std::vector<std::string> Arguments;
  std::map<std::string, std::string> Environment;
  std::unique_ptr<ChildProcess> Process;
  int Restarts = 0;
};

// The window's size; -1, -1 when it cannot be read.
std::pair<int, int> Size(const std::string& id);
std::string Title(const std::string& id);
// The window's pixels; empty when they cannot be read.
Snapshot Capture(const std::string& id);
// Presses `key` (an xdotool key name) in the window.
void Key(const std::string& window, const std::string& key);
// Moves the window to the bottom right corner of the display, where the
// other windows of the test do not cover it.
void MoveToCorner(const std::string& id, int width, int height);
// A three-second 320 x 240 test clip with sound.
std::string Clip();

}  // namespace mova::test
