#pragma once
// A message-only window that receives a filter graph's event notifications
// on the thread that created it, so that whatever an event triggers runs from
// that thread's message loop and never inside a graph operation.
#include <windows.h>

#include <functional>

namespace mova::dshow {

class TDShowEventWindow {
 public:
  // The message the graph posts when it has queued an event.
  static constexpr UINT NotifyMessage = WM_APP + 1;

  // `onNotify` is called from the window procedure for each notification.
  explicit TDShowEventWindow(std::function<void()> onNotify);
  // Destroys the window: no notification is delivered after this.
  ~TDShowEventWindow();
  TDShowEventWindow(const TDShowEventWindow&) = delete;
  TDShowEventWindow& operator=(const TDShowEventWindow&) = delete;

  // Null when the window could not be created.
  HWND Handle() const { return Window; }

  // Asks for one more notification through the message loop, for one that
  // arrived while it could not be handled.
  void Repost() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void()> OnNotify;
  HWND Window = nullptr;
};

}  // namespace mova::dshow
