#include "platform/win32/Win32TimerService.h"

#include <mmsystem.h>

namespace mova {

namespace {

constexpr char WindowClass[] = "TMovaTimerClass";
constexpr UINT TickMessage = WM_APP + 1;
// The resolution asked of the multimedia timer, in milliseconds.
constexpr UINT Resolution = 50;

}  // namespace

TWin32TimerService::TWin32TimerService(HINSTANCE instance) : Instance(instance) {
  WNDCLASSA record{};
  record.lpfnWndProc = WindowProc;
  record.hInstance = Instance;
  record.lpszClassName = WindowClass;
  RegisterClassA(&record);  // fails harmlessly when a second service registered it already
  Window = CreateWindowExA(0, WindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance, nullptr);
  if (Window != nullptr) SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32TimerService::~TWin32TimerService() {
  while (!Timers.empty()) Kill(Timers.begin()->first);
  if (Window != nullptr) DestroyWindow(Window);
}

uint32_t TWin32TimerService::StartPeriodic(uint32_t periodMs, std::function<void()> tick) {
  if (Window == nullptr || !tick) return 0;
  auto timer = std::make_unique<TTimer>();
  timer->Id = NextId++;
  if (NextId == 0) NextId = 1;
  timer->Window = Window;
  timer->Tick = std::move(tick);
  timer->Event = timeSetEvent(periodMs, Resolution, OnTimer, reinterpret_cast<DWORD_PTR>(timer.get()),
                              TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  if (timer->Event == 0) return 0;
  const uint32_t id = timer->Id;
  Timers.emplace(id, std::move(timer));
  return id;
}

void TWin32TimerService::Kill(uint32_t id) {
  auto found = Timers.find(id);
  if (found == Timers.end()) return;
  // Synchronous: once timeKillEvent returns the callback is not running and
  // never runs again, so the record can go. A tick message already posted
  // names an id that is no longer there and is ignored.
  timeKillEvent(found->second->Event);
  Timers.erase(found);
}

void CALLBACK TWin32TimerService::OnTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* timer = reinterpret_cast<TTimer*>(user);
  if (timer->Pending.exchange(true)) return;
  if (!PostMessageA(timer->Window, TickMessage, timer->Id, 0)) timer->Pending = false;
}

LRESULT CALLBACK TWin32TimerService::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == TickMessage) {
    auto* service = reinterpret_cast<TWin32TimerService*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (service != nullptr) service->RunTick(static_cast<uint32_t>(wParam));
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

void TWin32TimerService::RunTick(uint32_t id) {
  auto found = Timers.find(id);
  if (found == Timers.end()) return;
  found->second->Pending = false;
  // A copy: the tick may kill its own timer, which frees the record.
  const std::function<void()> tick = found->second->Tick;
  tick();
}

}  // namespace mova
