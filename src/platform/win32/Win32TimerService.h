#pragma once
// Periodic timers from the multimedia timer (timeSetEvent), whose ticks run
// on the window thread: the timer's own thread only posts a message to a
// message-only window of the service, and the window thread's message loop
// (or any modal loop) calls the tick. Nothing of the program ever runs on the
// timer's thread, so the player and window state need no lock.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "framework/TimerService.h"

namespace mova {

class TWin32TimerService final : public ITimerService {
 public:
  // Creates the service's window on the calling thread, the window thread.
  explicit TWin32TimerService(HINSTANCE instance);
  ~TWin32TimerService() override;
  TWin32TimerService(const TWin32TimerService&) = delete;
  TWin32TimerService& operator=(const TWin32TimerService&) = delete;

  uint32_t StartPeriodic(uint32_t periodMs, std::function<void()> tick) override;
  void Kill(uint32_t id) override;

 private:
  struct TTimer {
    uint32_t Id = 0;
    HWND Window = nullptr;
    UINT Event = 0;
    std::function<void()> Tick;
    // A tick message is on its way: the timer's thread posts no other until
    // the window thread has taken it, so a busy window thread is not flooded.
    std::atomic<bool> Pending{false};
  };
  static void CALLBACK OnTimer(UINT event, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void RunTick(uint32_t id);

  HINSTANCE Instance;
  HWND Window = nullptr;
  std::map<uint32_t, std::unique_ptr<TTimer>> Timers;
  uint32_t NextId = 1;
};

}  // namespace mova
