#include "DShowTestSupport.h"

#include "support/GeneratedMedia.h"

namespace mova::test {

TOwnerWindow::TOwnerWindow() {
  static const bool registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TOwnerWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MovaTestOwner";
    return RegisterClassW(&windowClass) != 0;
  }();
  if (!registered) return;
  Window = CreateWindowExW(0, L"MovaTestOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (Window == nullptr) return;
  SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(Window, SW_SHOWNORMAL);
}

LRESULT CALLBACK TOwnerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) {
    if (auto* self = reinterpret_cast<TOwnerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) ++self->Presses;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TOwnerWindow::~TOwnerWindow() {
  if (Window == nullptr) return;
  SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
  DestroyWindow(Window);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(std::chrono::milliseconds time) { PumpUntil([] { return false; }, time); }

std::string Medium(const std::string& name) {
  const std::string path = BuiltMedia(name);
  EXPECT_FALSE(path.empty()) << name << " was not built";
  return path;
}

}  // namespace mova::test
