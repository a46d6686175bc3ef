#pragma once
// The window system on Qt Widgets: one TQtFormWidget per form, the Qt event
// loop with an application event filter that offers every key press to the
// accelerator lookup, message boxes, capture and placement.
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/WindowSystem.h"

namespace mova {

class TQtFormWidget;

class TQtWindowSystem : public QObject, public IWindowSystem {
  Q_OBJECT
 public:
  // Needs the QApplication to exist.
  TQtWindowSystem();
  ~TQtWindowSystem() override;

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
  int32_t RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) override;

  // For the widgets: a drop's files held until DragFinish; its token.
  MessageParam HoldDrop(std::vector<std::string> files);
  // For the widgets: asks the form for its size limits and applies them.
  void ApplySizeLimits(TQtFormWidget& widget);
  // For the widgets: the capture ends without the form asking.
  void LoseCapture(WindowHandle window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TQtFormWidget* Find(WindowHandle window) const;

  std::map<std::string, TWindowClass> Classes;
  std::map<WindowHandle, QPointer<TQtFormWidget>> Forms;
  std::map<std::string, uint32_t> RegisteredMessages;
  std::map<MessageParam, std::vector<std::string>> Drops;
  MessageParam NextDrop = 1;
  TMinMaxInfo CurrentMinMax{};
  WindowHandle Capture = 0;
  const std::function<bool(const TKeyPress&)>* TranslateKey = nullptr;
};

}  // namespace mova
