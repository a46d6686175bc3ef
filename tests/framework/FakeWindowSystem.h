#pragma once
// A window system in memory: it records what the forms ask of it, keeps each
// window's size, style, placement and painted pixels, and lets a test inject
// messages and key presses.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "framework/WindowSystem.h"

namespace mova::test {

// An image of pixels; text is recorded, not rasterised.
class FakeImage : public IPainter {
 public:
  struct Text {
    std::string Value;
    TRect Rect;
    uint32_t Format = 0;
    TColor Color;
  };

  FakeImage(int32_t width, int32_t height);
  int32_t Width() const override { return W; }
  int32_t Height() const override { return H; }
  void FillRect(const TRect& rect, TColor color) override;
  void FrameRect(const TRect& rect, TColor color) override;
  void DrawTextLine(const std::string& text, const TRect& rect, uint32_t format, TColor color) override;

  TColor Pixel(int32_t x, int32_t y) const { return Pixels.at(static_cast<size_t>(y) * W + x); }
  std::vector<Text> Texts;

 private:
  int32_t W;
  int32_t H;
  std::vector<TColor> Pixels;
};

class FakeWindowSystem : public IWindowSystem {
 public:
  struct Window {
    WindowHandle Handle = 0;
    IFormBinding* Binding = nullptr;
    TWindowClass Class;
    TWindowCreate Create;
    std::string Text;
    uint32_t Style = 0;  // without WS::VISIBLE and WS::MAXIMIZE
    bool Visible = false;
    bool Maximized = false;
    bool Topmost = false;
    bool Destroyed = false;
    TRect Bounds;        // outer = client, in screen coordinates
    TRect NormalBounds;  // the bounds while not maximised
    std::vector<TRect> Invalidated;
    std::vector<bool> InvalidatedErase;
    // The client area as last painted: black until something is copied to it.
    std::unique_ptr<FakeImage> Surface;
    int Paints = 0;
    int Copies = 0;
  };

  // Scripted answers.
  TPoint Screen{1280, 1024};
  TPoint Cursor;  // in the capture window's client coordinates
  bool FailCreate = false;
  int32_t UnsetLoopResult = -1;  // RunMessageLoop's answer when the script ends without a quit

  // Record.
  std::vector<std::string> Calls;
  struct Box {
    WindowHandle Owner;
    std::string Text;
    std::string Caption;
    uint32_t Style;
  };
  std::vector<Box> MessageBoxes;
  std::function<void(const Box&)> OnMessageBox;  // runs while the box is "open"
  bool QuitPosted = false;
  int32_t QuitCode = 0;
  WindowHandle Capture = 0;
  std::vector<FormMessage> Defaulted;  // messages that reached DefaultHandling
  std::set<MessageParam> FinishedDrops;
  TMinMaxInfo LastMinMax{};  // as the form left it at creation
  // What the message loop does, in order: each step runs as one message.
  std::vector<std::function<void()>> LoopScript;
  std::vector<TKeyPress> DispatchedKeys;  // key presses the accelerators let through

  // Popup menus as they were shown.
  struct ShownItem {
    TMenuItem::Kind Type = TMenuItem::Kind::Command;
    int32_t Id = 0;
    std::string Text;
    bool Grayed = false;
    bool Checked = false;
    std::vector<ShownItem> Submenu;
  };
  struct ShownMenu {
    WindowHandle Owner = 0;
    TPoint At;
    std::vector<ShownItem> Items;
  };
  std::vector<ShownMenu> Menus;
  TPoint ScreenCursor{500, 400};
  // Runs while the menu is open; returns the chosen id (no choice when unset).
  std::function<int32_t(const ShownMenu&)> OnMenu;

  // Save dialogs as they were asked; OnSaveDialog runs while one is open and
  // gives the accepted name, or nothing for a cancel (the default).
  std::vector<TSaveFileDialog> SaveDialogs;
  std::function<std::optional<std::string>(const TSaveFileDialog&)> OnSaveDialog;

  // Test helpers.
  Window& Get(WindowHandle window);
  int Count(const std::string& call) const;
  // Sends a message as the platform would (through the binding).
  MessageResult Inject(WindowHandle window, uint32_t msg, MessageParam wParam = 0, MessageParam lParam = 0);
  // Paints the whole window now, as a WM::PAINT would.
  void PaintNow(WindowHandle window);
  // Maximises the window to the screen, as the user would.
  void Maximize(WindowHandle window);
  // Holds dropped files for a WM::DROPFILES; returns the drop's token.
  MessageParam Drop(std::vector<std::string> files);
  // Offers a key press as the loop would: to the accelerators, then to `window`.
  void PressKey(TKeyPress key);

  // IWindowSystem.
  bool RegisterFormClass(const TWindowClass& windowClass) override;
  WindowHandle CreateFormWindow(const TWindowCreate& create, IFormBinding& binding) override;
  void DestroyWindow(WindowHandle window) override;
  MessageResult DefaultHandling(WindowHandle window, const FormMessage& message) override;
  MessageResult SendFormMessage(WindowHandle window, uint32_t msg, MessageParam wParam,
                                MessageParam lParam) override;
  uint32_t RegisterNamedMessage(const std::string& name) override;
  void SetWindowCaption(WindowHandle window, const std::string& text) override;
  std::string GetWindowCaption(WindowHandle window) override;
  void MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint) override;
  void SetWindowSize(WindowHandle window, int32_t width, int32_t height) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  bool IsTopmost(WindowHandle window) override;
  void ShowWindow(WindowHandle window, int32_t command) override;
  void UpdateWindow(WindowHandle window) override;
  bool IsZoomed(WindowHandle window) override;
  TRect GetClientRect(WindowHandle window) override;
  TRect AdjustWindowRect(const TRect& client, uint32_t style) override;
  uint32_t GetStyleBits(WindowHandle window) override;
  void SetWindowStyle(WindowHandle window, uint32_t style) override;
  TWindowPlacement GetWindowPlacement(WindowHandle window) override;
  void SetWindowPlacement(WindowHandle window, const TWindowPlacement& placement) override;
  TPoint ScreenSize() override { return Screen; }
  void InvalidateRect(WindowHandle window, const TRect* rect, bool erase) override;
  std::unique_ptr<IPaintTarget> BeginPaint(WindowHandle window) override;
  int32_t ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     uint32_t style) override;
  bool AskSaveFileName(TSaveFileDialog& dialog) override;
  int32_t TrackPopupMenu(const TPopupMenu& menu, TPoint at, WindowHandle owner) override;
  TPoint GetCursorPos() override { return ScreenCursor; }
  void SetCapture(WindowHandle window) override;
  WindowHandle GetCapture() override { return Capture; }
  void ReleaseCapture() override;
  TPoint GetCursorClientPos(WindowHandle) override { return Cursor; }
  std::string DroppedFile(MessageParam drop, uint32_t index) override;
  void DragFinish(MessageParam drop) override;
  TMinMaxInfo* MinMaxInfo(MessageParam lParam) override;
  void PostQuitMessage(int32_t code) override;
  int32_t RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) override;

 private:
  Window* Find(WindowHandle window);
  void Resize(Window& window, const TRect& bounds);

  std::map<std::string, TWindowClass> Classes;
  std::vector<std::unique_ptr<Window>> Windows;
  std::map<std::string, uint32_t> Registered;
  std::map<MessageParam, std::vector<std::string>> Drops;
  MessageParam NextDrop = 1;
  TMinMaxInfo CurrentMinMax{};
  WindowHandle Painting = 0;
  const std::function<bool(const TKeyPress&)>* TranslateKey = nullptr;
};

}  // namespace mova::test
