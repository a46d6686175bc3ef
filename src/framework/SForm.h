#pragma once
// A very small window-class framework: a control wraps one window, a form is
// a top-level window with a class of its own whose messages reach the form's
// HandleMessage, and the message loop translates bound keys into commands.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "framework/FormMessage.h"
#include "framework/WindowHandle.h"
#include "framework/WindowSystem.h"

namespace mova {

class TWinControl {
 public:
  explicit TWinControl(IWindowSystem& windows) : Windows(windows) {}
  virtual ~TWinControl() = default;
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;

  virtual void SetBounds(int32_t x, int32_t y, int32_t width, int32_t height);
  // Changes the outer size only: position, z-order and activation stay.
  virtual void SetSize(int32_t width, int32_t height);
  virtual void Show();
  virtual void Hide();
  TRect ClientRect() const;

  // The window; 0 until it exists. Not cleared when the window is destroyed.
  WindowHandle Handle = 0;

 protected:
  IWindowSystem& Windows;
};

class TSForm : public TWinControl, private IFormBinding {
 public:
  TSForm(IWindowSystem& windows, const std::string& caption);
  // Destroys a window that still exists, without delivering its messages to
  // an object that is going away.
  ~TSForm() override;

  // Registers the class once per object, then creates the window. Afterwards
  // Handle is the new window, or 0.
  void CreateHandle(int32_t x, int32_t y, int32_t width, int32_t height);
  // Shown and painted at once.
  void Show() override;
  void SetStayOnTop(bool value);
  // Asks the window to close as its system menu's Close would; WM::CLOSE has
  // been handled when this returns.
  void RequestClose();
  // Handles one message; this default hands it to the window system.
  virtual void HandleMessage(FormMessage& message);
  // Whether the window exists now (bound and not yet destroyed).
  bool HasWindow() const { return Bound; }

  bool Registered = false;
  std::string Caption;
  std::string WindowClassName;
  bool StayOnTop = false;
  uint32_t Style = WS::OVERLAPPEDWINDOW;
  uint32_t ExStyle = 0;
  TClassBrush ClassBrush = TClassBrush::ButtonFace;
  std::string ClassIcon = "MAINICON";
  int32_t ClassCursor = IDC::ARROW;
  uint32_t ClassStyle = CS::DBLCLKS;

 private:
  void BindWindow(WindowHandle window) override;
  MessageResult WindowProc(uint32_t msg, MessageParam wParam, MessageParam lParam) override;
  void UnbindWindow() override;

  bool Bound = false;
};

// The key table's answer for a key: the command it is bound to, if any.
using AcceleratorLookup = std::function<std::optional<uint16_t>(uint16_t key, bool alt, bool ctrl, bool shift)>;

// Runs the message loop of `windows` until the quit message and returns its
// code. Every key press is first looked up in `accelerators`: a bound key is
// sent to `window` as WM::COMMAND with the bound id and goes no further.
// `table` holds the same bindings for a platform that translates keys with
// accelerator tables of its own.
int32_t RunMessageLoop(IWindowSystem& windows, WindowHandle window, const AcceleratorLookup& accelerators,
                       std::span<const AccelEntry> table = {});

}  // namespace mova
