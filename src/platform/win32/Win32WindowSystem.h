#pragma once
// The window-system seam on Windows: user32, gdi32, shell32 and comdlg32
// called one to one. A form's window carries its binding as the window
// property "OBJECT", set at WM_NCCREATE from the creation parameter, and the
// message loop translates keys with an accelerator table of the bindings.
#include <windows.h>

#include "framework/WindowSystem.h"

namespace mova {

class TWin32WindowSystem final : public IWindowSystem {
 public:
  // `instance` holds the program's resources (the icon "MAINICON").
  explicit TWin32WindowSystem(HINSTANCE instance);
  ~TWin32WindowSystem() override;
  TWin32WindowSystem(const TWin32WindowSystem&) = delete;
  TWin32WindowSystem& operator=(const TWin32WindowSystem&) = delete;

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
  TPoint ScreenSize() override;
  void InvalidateRect(WindowHandle window, const TRect* rect, bool erase) override;
  std::unique_ptr<IPaintTarget> BeginPaint(WindowHandle window) override;

  int32_t ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                         uint32_t style) override;
  bool AskSaveFileName(TSaveFileDialog& dialog) override;
  int32_t TrackPopupMenu(const TPopupMenu& menu, TPoint at, WindowHandle owner) override;
  TPoint GetCursorPos() override;

  void SetCapture(WindowHandle window) override;
  WindowHandle GetCapture() override;
  void ReleaseCapture() override;
  TPoint GetCursorClientPos(WindowHandle window) override;

  std::string DroppedFile(MessageParam drop, uint32_t index) override;
  void DragFinish(MessageParam drop) override;
  TMinMaxInfo* MinMaxInfo(MessageParam lParam) override;

  void PostQuitMessage(int32_t code) override;
  void SetAcceleratorTable(WindowHandle target, std::span<const AccelEntry> entries) override;
  int32_t RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) override;

 private:
  HINSTANCE Instance;
  // The accelerator table of SetAcceleratorTable and the window its commands go to.
  bool HasAcceleratorTable = false;
  HACCEL Accelerators = nullptr;
  HWND AcceleratorTarget = nullptr;
};

}  // namespace mova
