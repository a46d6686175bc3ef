#pragma once
#include <cstdint>
#include <functional>

namespace mova {

// Periodic timers whose ticks run on the window thread, between two messages.
// Because a tick never runs at the same time as a message handler, the player
// and window state it touches need no lock.
class ITimerService {
 public:
  virtual ~ITimerService() = default;

  // Starts a timer that calls `tick` every `periodMs` milliseconds on the
  // window thread until it is killed. Returns its id, never 0; 0 when no timer
  // could be started.
  virtual uint32_t StartPeriodic(uint32_t periodMs, std::function<void()> tick) = 0;

  // Stops timer `id`: once Kill returns its tick is never called again, even
  // from inside that tick. 0 and unknown ids are ignored.
  virtual void Kill(uint32_t id) = 0;
};

}  // namespace mova
