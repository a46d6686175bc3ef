#include "framework/SForm.h"

namespace mova {

void TWinControl::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height) {
  Windows.MoveWindow(Handle, x, y, width, height, true);
}

void TWinControl::SetSize(int32_t width, int32_t height) { Windows.SetWindowSize(Handle, width, height); }

void TWinControl::Show() { Windows.ShowWindow(Handle, SW::SHOW); }

void TWinControl::Hide() { Windows.ShowWindow(Handle, SW::HIDE); }

TRect TWinControl::ClientRect() const { return Windows.GetClientRect(Handle); }

TSForm::TSForm(IWindowSystem& windows, const std::string& caption)
    : TWinControl(windows), Caption(caption), WindowClassName("T" + caption + "Class") {}

TSForm::~TSForm() {
  if (Bound) {
    WindowHandle window = Handle;
    Bound = false;  // nothing more reaches this object
    Windows.DestroyWindow(window);
  }
}

void TSForm::CreateHandle(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!Registered) {
    TWindowClass windowClass;
    windowClass.Name = WindowClassName;
    windowClass.Style = ClassStyle;
    windowClass.Brush = ClassBrush;
    windowClass.IconName = ClassIcon;
    windowClass.Cursor = ClassCursor;
    if (!Windows.RegisterFormClass(windowClass)) return;
    Registered = true;
  }
  Handle = 0;
  TWindowCreate create;
  create.ClassName = WindowClassName;
  create.Caption = Caption;
  create.Style = Style;
  create.ExStyle = ExStyle;
  create.X = x;
  create.Y = y;
  create.Width = width;
  create.Height = height;
  Handle = Windows.CreateFormWindow(create, *this);
}

void TSForm::Show() {
  Windows.ShowWindow(Handle, SW::SHOW);
  Windows.UpdateWindow(Handle);
}

void TSForm::SetStayOnTop(bool value) {
  StayOnTop = value;
  if (Handle != 0) Windows.SetTopmost(Handle, value);
}

void TSForm::RequestClose() { Windows.SendFormMessage(Handle, WM::SYSCOMMAND, SC::CLOSE, 0); }

void TSForm::HandleMessage(FormMessage& message) { message.Result = Windows.DefaultHandling(Handle, message); }

void TSForm::BindWindow(WindowHandle window) {
  Handle = window;
  Bound = true;
}

MessageResult TSForm::WindowProc(uint32_t msg, MessageParam wParam, MessageParam lParam) {
  if (!Bound) return 0;  // before the binding or after it: answered without handling
  FormMessage message{msg, wParam, lParam, 0};
  HandleMessage(message);
  return message.Result;
}

void TSForm::UnbindWindow() { Bound = false; }

int32_t RunMessageLoop(IWindowSystem& windows, WindowHandle window, const AcceleratorLookup& accelerators,
                       std::span<const AccelEntry> table) {
  windows.SetAcceleratorTable(window, table);
  return windows.RunMessageLoop([&](const TKeyPress& key) {
    if (!accelerators) return false;
    std::optional<uint16_t> command = accelerators(key.VirtualKey, key.Alt, key.Ctrl, key.Shift);
    if (!command) return false;
    windows.SendFormMessage(window, WM::COMMAND, *command, 0);
    return true;
  });
}

}  // namespace mova
