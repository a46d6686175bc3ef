#include "platform/win32/Win32WindowSystem.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32MenusAndDialogs.h"
#include "platform/win32/Win32Painter.h"

namespace mova {

namespace {

constexpr char ObjectProperty[] = "OBJECT";

static_assert(sizeof(AccelEntry) == sizeof(ACCEL), "a binding is an ACCEL record");
static_assert(sizeof(TMinMaxInfo) == sizeof(MINMAXINFO), "the record of WM_GETMINMAXINFO");

// The window procedure of every form class. From WM_NCCREATE on, the window's
// messages go to the binding stored as its property "OBJECT"; before it they
// are answered 0, and WM_NCCREATE and WM_NCDESTROY themselves get only the
// default handling.
LRESULT CALLBACK FormWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* binding = static_cast<IFormBinding*>(create->lpCreateParams);
    if (binding != nullptr) {
      SetPropA(window, ObjectProperty, binding);
      binding->BindWindow(FromHwnd(window));
    }
    return DefWindowProcA(window, msg, wParam, lParam);
  }
  auto* binding = static_cast<IFormBinding*>(GetPropA(window, ObjectProperty));
  if (msg == WM_NCDESTROY) {
    RemovePropA(window, ObjectProperty);
    if (binding != nullptr) binding->UnbindWindow();
    return DefWindowProcA(window, msg, wParam, lParam);
  }
  if (binding == nullptr) return 0;
  return binding->WindowProc(msg, wParam, static_cast<MessageParam>(lParam));
}

HBRUSH ClassBrush(TClassBrush brush) {
  if (brush == TClassBrush::Black) return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
}

TRect FromRect(const RECT& rect) { return TRect{rect.left, rect.top, rect.right, rect.bottom}; }
RECT ToRect(const TRect& rect) { return RECT{rect.Left, rect.Top, rect.Right, rect.Bottom}; }

}  // namespace

TWin32WindowSystem::TWin32WindowSystem(HINSTANCE instance) : Instance(instance) {}

TWin32WindowSystem::~TWin32WindowSystem() {
  if (Accelerators != nullptr) DestroyAcceleratorTable(Accelerators);
}

bool TWin32WindowSystem::RegisterFormClass(const TWindowClass& windowClass) {
  WNDCLASSA record{};
  record.style = windowClass.Style;
  record.lpfnWndProc = FormWindowProc;
  record.hInstance = Instance;
  record.hIcon = LoadIconA(Instance, windowClass.IconName.c_str());
  record.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(windowClass.Cursor));
  record.hbrBackground = ClassBrush(windowClass.Brush);
  record.lpszClassName = windowClass.Name.c_str();
  return RegisterClassA(&record) != 0;
}

WindowHandle TWin32WindowSystem::CreateFormWindow(const TWindowCreate& create, IFormBinding& binding) {
  HWND window = CreateWindowExA(create.ExStyle, create.ClassName.c_str(), create.Caption.c_str(), create.Style,
                                create.X, create.Y, create.Width, create.Height, nullptr, nullptr, Instance, &binding);
  return FromHwnd(window);
}

void TWin32WindowSystem::DestroyWindow(WindowHandle window) {
  if (window != 0) ::DestroyWindow(ToHwnd(window));
}

MessageResult TWin32WindowSystem::DefaultHandling(WindowHandle window, const FormMessage& message) {
  return DefWindowProcA(ToHwnd(window), message.Msg, message.WParam, static_cast<LPARAM>(message.LParam));
}

MessageResult TWin32WindowSystem::SendFormMessage(WindowHandle window, uint32_t msg, MessageParam wParam,
                                                  MessageParam lParam) {
  if (window == 0) return 0;
  return SendMessageA(ToHwnd(window), msg, wParam, static_cast<LPARAM>(lParam));
}

uint32_t TWin32WindowSystem::RegisterNamedMessage(const std::string& name) {
  return RegisterWindowMessageA(name.c_str());
}

void TWin32WindowSystem::SetWindowCaption(WindowHandle window, const std::string& text) {
  if (window != 0) SetWindowTextA(ToHwnd(window), text.c_str());
}

std::string TWin32WindowSystem::GetWindowCaption(WindowHandle window) {
  if (window == 0) return {};
  const int length = GetWindowTextLengthA(ToHwnd(window));
  if (length <= 0) return {};
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(ToHwnd(window), text.data(), length + 1);
  return std::string(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void TWin32WindowSystem::MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                                    bool repaint) {
  if (window != 0) ::MoveWindow(ToHwnd(window), x, y, width, height, repaint);
}

void TWin32WindowSystem::SetWindowSize(WindowHandle window, int32_t width, int32_t height) {
  if (window != 0)
    SetWindowPos(ToHwnd(window), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32WindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  if (window != 0)
    SetWindowPos(ToHwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TWin32WindowSystem::IsTopmost(WindowHandle window) {
  if (window == 0) return false;
  return (GetWindowLongA(ToHwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void TWin32WindowSystem::ShowWindow(WindowHandle window, int32_t command) {
  if (window != 0) ::ShowWindow(ToHwnd(window), command);
}

void TWin32WindowSystem::UpdateWindow(WindowHandle window) {
  if (window != 0) ::UpdateWindow(ToHwnd(window));
}

bool TWin32WindowSystem::IsZoomed(WindowHandle window) { return window != 0 && ::IsZoomed(ToHwnd(window)); }

TRect TWin32WindowSystem::GetClientRect(WindowHandle window) {
  RECT rect{};
  if (window == 0 || !::GetClientRect(ToHwnd(window), &rect)) return TRect{};
  return FromRect(rect);
}

TRect TWin32WindowSystem::AdjustWindowRect(const TRect& client, uint32_t style) {
  RECT rect = ToRect(client);
  ::AdjustWindowRect(&rect, style, FALSE);
  return FromRect(rect);
}

uint32_t TWin32WindowSystem::GetStyleBits(WindowHandle window) {
  if (window == 0) return 0;
  return static_cast<uint32_t>(GetWindowLongA(ToHwnd(window), GWL_STYLE));
}

void TWin32WindowSystem::SetWindowStyle(WindowHandle window, uint32_t style) {
  if (window != 0) SetWindowLongA(ToHwnd(window), GWL_STYLE, static_cast<LONG>(style));
}

TWindowPlacement TWin32WindowSystem::GetWindowPlacement(WindowHandle window) {
  WINDOWPLACEMENT record{};
  record.length = sizeof(record);
  TWindowPlacement placement;
  if (window == 0 || !::GetWindowPlacement(ToHwnd(window), &record)) return placement;
  placement.Length = record.length;
  placement.Flags = record.flags;
  placement.ShowCmd = record.showCmd;
  placement.MinPosition = TPoint{record.ptMinPosition.x, record.ptMinPosition.y};
  placement.MaxPosition = TPoint{record.ptMaxPosition.x, record.ptMaxPosition.y};
  placement.NormalPosition = FromRect(record.rcNormalPosition);
  return placement;
}

void TWin32WindowSystem::SetWindowPlacement(WindowHandle window, const TWindowPlacement& placement) {
  if (window == 0) return;
  WINDOWPLACEMENT record{};
  record.length = sizeof(record);
  record.flags = placement.Flags;
  record.showCmd = placement.ShowCmd;
  record.ptMinPosition = POINT{placement.MinPosition.X, placement.MinPosition.Y};
  record.ptMaxPosition = POINT{placement.MaxPosition.X, placement.MaxPosition.Y};
  record.rcNormalPosition = ToRect(placement.NormalPosition);
  ::SetWindowPlacement(ToHwnd(window), &record);
}

TPoint TWin32WindowSystem::ScreenSize() { return TPoint{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void TWin32WindowSystem::InvalidateRect(WindowHandle window, const TRect* rect, bool erase) {
  if (window == 0) return;
  if (rect == nullptr) {
    ::InvalidateRect(ToHwnd(window), nullptr, erase);
    return;
  }
  const RECT area = ToRect(*rect);
  ::InvalidateRect(ToHwnd(window), &area, erase);
}

std::unique_ptr<IPaintTarget> TWin32WindowSystem::BeginPaint(WindowHandle window) {
  if (window == 0) return nullptr;
  return std::make_unique<TGdiPaintTarget>(ToHwnd(window));
}

int32_t TWin32WindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                           uint32_t style) {
  return ShowBox(Instance, ToHwnd(owner), text, caption, style);
}

bool TWin32WindowSystem::AskSaveFileName(TSaveFileDialog& dialog) { return AskSaveName(dialog); }

int32_t TWin32WindowSystem::TrackPopupMenu(const TPopupMenu& menu, TPoint at, WindowHandle owner) {
  if (owner == 0) return 0;
  return TrackMenuModel(menu, at, ToHwnd(owner));
}

TPoint TWin32WindowSystem::GetCursorPos() {
  POINT point{};
  ::GetCursorPos(&point);
  return TPoint{point.x, point.y};
}

void TWin32WindowSystem::SetCapture(WindowHandle window) {
  if (window != 0) ::SetCapture(ToHwnd(window));
}

WindowHandle TWin32WindowSystem::GetCapture() { return FromHwnd(::GetCapture()); }

void TWin32WindowSystem::ReleaseCapture() { ::ReleaseCapture(); }

TPoint TWin32WindowSystem::GetCursorClientPos(WindowHandle window) {
  POINT point{};
  if (window == 0 || !::GetCursorPos(&point)) return TPoint{};
  ScreenToClient(ToHwnd(window), &point);
  return TPoint{point.x, point.y};
}

std::string TWin32WindowSystem::DroppedFile(MessageParam drop, uint32_t index) {
  HDROP files = reinterpret_cast<HDROP>(drop);
  if (files == nullptr) return {};
  const UINT length = DragQueryFileA(files, index, nullptr, 0);
  if (length == 0) return {};
  std::vector<char> name(length + 1, '\0');
  DragQueryFileA(files, index, name.data(), length + 1);
  return std::string(name.data());
}

void TWin32WindowSystem::DragFinish(MessageParam drop) {
  if (drop != 0) ::DragFinish(reinterpret_cast<HDROP>(drop));
}

TMinMaxInfo* TWin32WindowSystem::MinMaxInfo(MessageParam lParam) {
  return reinterpret_cast<TMinMaxInfo*>(lParam);
}

void TWin32WindowSystem::PostQuitMessage(int32_t code) { ::PostQuitMessage(code); }

void TWin32WindowSystem::SetAcceleratorTable(WindowHandle target, std::span<const AccelEntry> entries) {
  if (Accelerators != nullptr) DestroyAcceleratorTable(Accelerators);
  Accelerators = nullptr;
  std::vector<ACCEL> table(entries.size());
  for (size_t i = 0; i < entries.size(); ++i)
    table[i] = ACCEL{entries[i].Flags, entries[i].Key, entries[i].Cmd};
  // An empty table cannot be made: no key is then translated.
  if (!table.empty()) Accelerators = CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
  AcceleratorTarget = ToHwnd(target);
  HasAcceleratorTable = true;
}

int32_t TWin32WindowSystem::RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) continue;  // no message was retrieved (cannot happen for the thread's own queue)
    if (HasAcceleratorTable) {
      // Every message of the thread is offered to the table, with the target window.
      if (Accelerators != nullptr && TranslateAcceleratorA(AcceleratorTarget, Accelerators, &message)) continue;
    } else if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && translateKey) {
      const TKeyPress key{static_cast<uint16_t>(message.wParam), GetKeyState(VK_MENU) < 0,
                          GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0};
      if (translateKey(key)) continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int32_t>(message.wParam);
}

}  // namespace mova
