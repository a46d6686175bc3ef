#pragma once
// The window-system seam: everything the forms and the main window ask of the
// platform's windowing, painting and input. The Qt backend implements it on
// Linux, a Win32 backend would map it one to one onto user32 and gdi32, and
// the tests use a recording fake. All operations run on the window thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "framework/AccelEntry.h"
#include "framework/FormMessage.h"
#include "framework/PopupMenu.h"
#include "framework/WindowHandle.h"

namespace mova {

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

// Left and top inclusive, right and bottom exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

struct TColor {
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;
  bool operator==(const TColor&) const = default;
};

// ShowWindow commands.
namespace SW {
constexpr int32_t HIDE = 0;
constexpr int32_t SHOWNORMAL = 1;
constexpr int32_t SHOWMINIMIZED = 2;
constexpr int32_t SHOWMAXIMIZED = 3;
constexpr int32_t SHOW = 5;
constexpr int32_t SHOWNA = 8;
constexpr int32_t RESTORE = 9;
}  // namespace SW

// Where a window sits and how it is shown, as saved before full screen and
// given back after it.
struct TWindowPlacement {
  uint32_t Length = 44;
  uint32_t Flags = 0;
  uint32_t ShowCmd = 0;  // SW::SHOWNORMAL, SW::SHOWMINIMIZED or SW::SHOWMAXIMIZED
  TPoint MinPosition;
  TPoint MaxPosition;
  TRect NormalPosition;  // the window's rectangle when neither maximised nor minimised
  bool operator==(const TWindowPlacement&) const = default;
};

// The sizes a window may take; the record of a WM::GETMINMAXINFO message.
struct TMinMaxInfo {
  TPoint Reserved;
  TPoint MaxSize;
  TPoint MaxPosition;
  TPoint MinTrackSize;
  TPoint MaxTrackSize;
};

// The class background: the dialog face colour (the default) or black.
enum class TClassBrush : uint32_t { ButtonFace = 16, Black = 0x80000004u };
namespace IDC {
constexpr int32_t ARROW = 32512;
}  // namespace IDC

struct TWindowClass {
  std::string Name;
  uint32_t Style = 0;  // CS_ flags
  TClassBrush Brush = TClassBrush::ButtonFace;
  std::string IconName;  // a program icon resource, e.g. "MAINICON"
  int32_t Cursor = IDC::ARROW;
};

struct TWindowCreate {
  std::string ClassName;
  std::string Caption;
  uint32_t Style = 0;
  uint32_t ExStyle = 0;
  int32_t X = CW::USEDEFAULT;
  int32_t Y = CW::USEDEFAULT;
  int32_t Width = 0;
  int32_t Height = 0;
};

// The object a window belongs to, as the window system sees it: the window
// property that routes the window's messages.
class IFormBinding {
 public:
  virtual ~IFormBinding() = default;
  // The window exists and is bound to this object; called once, before any
  // other message of the window is delivered.
  virtual void BindWindow(WindowHandle window) = 0;
  // One message of the bound window; returns its result. Called only between
  // BindWindow and UnbindWindow.
  virtual MessageResult WindowProc(uint32_t msg, MessageParam wParam, MessageParam lParam) = 0;
  // The window is gone (after its WM::DESTROY); no message follows.
  virtual void UnbindWindow() = 0;
};

// DrawTextLine formats.
namespace DT {
constexpr uint32_t LEFT = 0x00;
constexpr uint32_t RIGHT = 0x02;
constexpr uint32_t VCENTER = 0x04;
constexpr uint32_t SINGLELINE = 0x20;
}  // namespace DT

// An off-screen image of a fixed size, in its own pixel coordinates; pixels
// outside it are clipped.
class IPainter {
 public:
  virtual ~IPainter() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void FillRect(const TRect& rect, TColor color) = 0;
  // A one-pixel frame just inside `rect`.
  virtual void FrameRect(const TRect& rect, TColor color) = 0;
  // One line of text in the user-interface font sized for a 13-pixel bar,
  // without background: left-aligned, or right-aligned with DT::RIGHT,
  // centred vertically in `rect` with DT::VCENTER.
  virtual void DrawTextLine(const std::string& text, const TRect& rect, uint32_t format, TColor color) = 0;
};

// One paint of a window, from BeginPaint until it is destroyed (EndPaint).
class IPaintTarget {
 public:
  virtual ~IPaintTarget() = default;
  // A new image of width x height pixels, initially black.
  virtual std::unique_ptr<IPainter> CreateImage(int32_t width, int32_t height) = 0;
  // Copies the whole image to the window's client area at (x, y) in one block.
  virtual void CopyImage(const IPainter& image, int32_t x, int32_t y) = 0;
};

// A key press as the accelerator lookup sees it.
struct TKeyPress {
  uint16_t VirtualKey = 0;  // Windows virtual-key code
  bool Alt = false;
  bool Ctrl = false;
  bool Shift = false;
};

// ShowMessageBox styles and results.
namespace MB {
constexpr uint32_t OK = 0x00;
constexpr uint32_t ICONEXCLAMATION = 0x30;
constexpr uint32_t USERICON = 0x80;
}  // namespace MB
namespace ID {
constexpr int32_t OK = 1;
}  // namespace ID

// Save-dialog flags.
namespace OFN {
constexpr uint32_t OVERWRITEPROMPT = 0x00000002;
}  // namespace OFN

// What the save dialog is asked, and what it answers.
struct TSaveFileDialog {
  WindowHandle Owner = 0;
  // One filter: its description and its pattern ("*.*" matches every file,
  // with or without a dot in its name).
  std::string FilterName;
  std::string FilterPattern;
  // In: the name the dialog starts with. Out: the chosen name as a full path,
  // used as it stands (no extension is added).
  std::string FileName;
  // The buffer size, terminating zero included: names of MaxFile or more
  // characters are refused.
  uint32_t MaxFile = 0;
  uint32_t Flags = 0;  // OFN::OVERWRITEPROMPT: confirm before replacing a file
};

// Operations on a window that does not exist (0, unknown or destroyed) do
// nothing, and queries about it answer zero, false or empty.
class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;

  // Registers a window class. False, with nothing registered, when a class of
  // that name exists already or the system has no display.
  virtual bool RegisterFormClass(const TWindowClass& windowClass) = 0;
  // Creates a top-level window of a registered class, hidden. `binding` is
  // bound (BindWindow) before the first message; from then on every message
  // of the window goes to it. Returns the window, or 0 (nothing bound) when
  // the class is unknown or the window cannot be made.
  virtual WindowHandle CreateFormWindow(const TWindowCreate& create, IFormBinding& binding) = 0;
  // Sends WM::DESTROY, unbinds the window and frees it. Unknown windows are ignored.
  virtual void DestroyWindow(WindowHandle window) = 0;
  // The platform's own treatment of a message the form did not handle; its
  // result. WM::SYSCOMMAND SC::CLOSE sends WM::CLOSE before returning; WM::CLOSE
  // destroys the window.
  virtual MessageResult DefaultHandling(WindowHandle window, const FormMessage& message) = 0;
  // Delivers a message to the window's form at once and returns its result;
  // 0 for a window without a form.
  virtual MessageResult SendFormMessage(WindowHandle window, uint32_t msg, MessageParam wParam,
                                        MessageParam lParam) = 0;
  // A message id unique to `name` for this process; the same name gives the
  // same id; 0 when none can be assigned.
  virtual uint32_t RegisterNamedMessage(const std::string& name) = 0;

  virtual void SetWindowCaption(WindowHandle window, const std::string& text) = 0;
  virtual std::string GetWindowCaption(WindowHandle window) = 0;
  // Moves and sizes the outer window; a size change delivers WM::SIZE before
  // returning.
  virtual void MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                          bool repaint) = 0;
  // Sizes the outer window, keeping its position, z-order and activation;
  // a size change delivers WM::SIZE before returning.
  virtual void SetWindowSize(WindowHandle window, int32_t width, int32_t height) = 0;
  // Puts the window into the topmost band or takes it out, keeping position
  // and size, and activates it.
  virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
  virtual bool IsTopmost(WindowHandle window) = 0;
  // SW_ commands; a resulting size change delivers WM::SIZE before returning.
  virtual void ShowWindow(WindowHandle window, int32_t command) = 0;
  // Paints what is invalid now (WM::PAINT) instead of later.
  virtual void UpdateWindow(WindowHandle window) = 0;
  virtual bool IsZoomed(WindowHandle window) = 0;
  // The client area: left and top 0, right and bottom its width and height.
  virtual TRect GetClientRect(WindowHandle window) = 0;
  // The outer rectangle of a window of `style` whose client area is `client`.
  virtual TRect AdjustWindowRect(const TRect& client, uint32_t style) = 0;
  // The window's style with WS::VISIBLE and WS::MAXIMIZE as they are now.
  virtual uint32_t GetStyleBits(WindowHandle window) = 0;
  // Replaces the style (frame, caption); the window is hidden by the change
  // until it is shown again.
  virtual void SetWindowStyle(WindowHandle window, uint32_t style) = 0;
  virtual TWindowPlacement GetWindowPlacement(WindowHandle window) = 0;
  // Restores position, size and the shown state, maximised included.
  virtual void SetWindowPlacement(WindowHandle window, const TWindowPlacement& placement) = 0;
  // The size of the primary screen in pixels.
  virtual TPoint ScreenSize() = 0;
  // Asks for a WM::PAINT of `rect` (the whole client area when null) later;
  // the background is erased first only when `erase` is true.
  virtual void InvalidateRect(WindowHandle window, const TRect* rect, bool erase) = 0;
  // Starts painting the window; only inside its WM::PAINT.
  virtual std::unique_ptr<IPaintTarget> BeginPaint(WindowHandle window) = 0;

  // A modal box owned by `owner` with one OK button; returns when the user
  // has confirmed it. Timers and paints keep running meanwhile.
  virtual int32_t ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                             uint32_t style) = 0;

  // A modal save dialog owned by `dialog.Owner`, starting in the current
  // folder. True with dialog.FileName set when the user accepted a name;
  // false, with dialog.FileName left as it was, on cancel or failure.
  // Timers and paints keep running meanwhile.
  virtual bool AskSaveFileName(TSaveFileDialog& dialog) = 0;

  // Shows `menu` with its top-left corner at the screen point `at`, owned by
  // `owner`, and returns once it has closed: the command id of the item
  // chosen with either mouse button or the keyboard, 0 when none was chosen.
  // Grayed items and submenus cannot be chosen. Timers and paints keep
  // running meanwhile.
  virtual int32_t TrackPopupMenu(const TPopupMenu& menu, TPoint at, WindowHandle owner) = 0;
  // The mouse pointer in screen coordinates.
  virtual TPoint GetCursorPos() = 0;

  // Mouse input goes to `window` until ReleaseCapture or until the capture
  // is lost to the system (for example when the window is deactivated).
  virtual void SetCapture(WindowHandle window) = 0;
  virtual WindowHandle GetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  // The mouse pointer in the client coordinates of `window`, not limited to it.
  virtual TPoint GetCursorClientPos(WindowHandle window) = 0;

  // The files of a WM::DROPFILES (its WParam): the name at `index`, empty past
  // the last one. DragFinish frees them.
  virtual std::string DroppedFile(MessageParam drop, uint32_t index) = 0;
  virtual void DragFinish(MessageParam drop) = 0;
  // The record of a WM::GETMINMAXINFO (its LParam), valid during that message.
  virtual TMinMaxInfo* MinMaxInfo(MessageParam lParam) = 0;

  // Asks the message loop to end with `code` once the messages already
  // queued are handled.
  virtual void PostQuitMessage(int32_t code) = 0;
  // The key bindings, for a platform that translates key presses with
  // accelerator tables of its own (Win32: a table made by
  // CreateAcceleratorTableA from `entries`, offered every message with
  // TranslateAcceleratorA and `target`, which then receives WM::COMMAND with
  // the bound id). Its RunMessageLoop then uses that table, not the
  // translator. A platform without such tables ignores this.
  virtual void SetAcceleratorTable(WindowHandle /*target*/, std::span<const AccelEntry> /*entries*/) {}
  // Runs the message loop until the quit message and returns its code. Every
  // key press of the thread outside modal boxes and menus is first offered to
  // `translateKey`; when that returns true the key is consumed, otherwise it
  // is dispatched normally.
  virtual int32_t RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) = 0;
};

}  // namespace mova
