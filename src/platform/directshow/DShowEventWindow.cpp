#include "platform/directshow/DShowEventWindow.h"

namespace mova::dshow {

namespace {

constexpr wchar_t ClassName[] = L"MovaGraphEvents";

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

// Registered once per process; a class that exists already (registered by an
// earlier call) is fine.
bool RegisterEventClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.lpszClassName = ClassName;
  registered = RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

}  // namespace

TDShowEventWindow::TDShowEventWindow(std::function<void()> onNotify) : OnNotify(std::move(onNotify)) {
  if (!RegisterEventClass(&TDShowEventWindow::WindowProc)) return;
  Window = CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), nullptr);
  if (Window != nullptr) SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TDShowEventWindow::~TDShowEventWindow() {
  if (Window == nullptr) return;
  SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
  DestroyWindow(Window);
  // Notifications already posted went with the window; none can reach the
  // owner of this object after it is gone.
}

void TDShowEventWindow::Repost() const {
  if (Window != nullptr) PostMessageW(Window, NotifyMessage, 0, 0);
}

LRESULT CALLBACK TDShowEventWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == NotifyMessage) {
    auto* self = reinterpret_cast<TDShowEventWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // The receiver may destroy this object (and the window) from inside the
    // call, so nothing of it is touched afterwards.
    if (self == nullptr || !self->OnNotify) return 0;
    const std::function<void()> notify = self->OnNotify;
    notify();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mova::dshow
