#pragma once
// The state the whole program shares, created by start-up and living until
// the process ends.
#include <cstdint>
#include <memory>
#include <string>

#include "config/KeyTable.h"
#include "framework/OperatingSystem.h"
#include "framework/TimerService.h"
#include "player/VideoPlayer.h"

namespace mova {

class TDesktopPresence;

struct TProgramState {
  // The playback engine; null until start-up has created it.
  std::unique_ptr<TVideoPlayer> Player;
  // Key bindings and the accelerator lookup; null until start-up has created them.
  std::unique_ptr<TKeyTable> Keys;
  // The system's files (the open file's folder) and the window thread's
  // timers; null until start-up has set them.
  IOperatingSystem* System = nullptr;
  ITimerService* Timers = nullptr;
  // What the desktop is told of playback; null without a desktop session.
  TDesktopPresence* Presence = nullptr;
  // The id of the registered wheel message; 0 when there is none.
  uint32_t WheelMessage = 0;
  // Where the key map is looked up; ends with the path separator.
  std::string ProfileFolder;
  // How the system writes paths (the title shows a file's name part).
  TPathRules PathRules;
};

}  // namespace mova
