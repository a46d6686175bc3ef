#include "platform/qt/QtWindowSystem.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "platform/qt/QtFormWidget.h"
#include "platform/qt/QtKeyCodes.h"
#include "platform/qt/QtMenusAndDialogs.h"
#include "platform/qt/QtPainter.h"

namespace mova {

namespace {

constexpr uint32_t FirstRegisteredMessage = 0xC000;
constexpr uint32_t LastRegisteredMessage = 0xFFFF;
constexpr uint32_t MinMaxToken = 1;
constexpr int DefaultMaxTrack = 16384;

QString FromBytes(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QIcon ProgramIcon(const std::string& name) {
  if (name.empty()) return QIcon();
  // Read as PNG by Qt's own reader: left to guess, Qt would first load each
  // of its image plugins to ask whether it knows the file.
  QImageReader reader(QStringLiteral(":/mova/") + QString::fromStdString(name) + QStringLiteral(".png"), "png");
  reader.setAutoDetectImageFormat(false);
  const QImage picture = reader.read();
  return picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture));
}

// Wayland lets no client keep its window above the others or place it: the
// compositor decides both.
bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// Where the stay-on-top wish is kept on Wayland, where the window flag has no effect.
constexpr char TopmostWish[] = "mova-topmost";

// Shows the widget again after a change of its window flags, which hides it.
void ReshowAfterFlagChange(QWidget& widget, bool wasVisible, bool activate) {
  if (!wasVisible) return;
  widget.show();
  if (activate) {
    widget.raise();
    widget.activateWindow();
  }
}

}  // namespace

TQtWindowSystem::TQtWindowSystem() {
  qApp->installEventFilter(this);
  QApplication::setQuitOnLastWindowClosed(false);  // the forms decide when the loop ends
}

TQtWindowSystem::~TQtWindowSystem() {
  if (qApp) qApp->removeEventFilter(this);
  for (auto& [handle, widget] : Forms) {
    if (widget) {
      widget->Unbind();
      delete widget.data();
    }
  }
}

TQtFormWidget* TQtWindowSystem::Find(WindowHandle window) const {
  auto found = Forms.find(window);
  return found == Forms.end() ? nullptr : found->second.data();
}

bool TQtWindowSystem::RegisterFormClass(const TWindowClass& windowClass) {
  if (windowClass.Name.empty() || Classes.count(windowClass.Name) != 0) return false;
  Classes.emplace(windowClass.Name, windowClass);
  return true;
}

WindowHandle TQtWindowSystem::CreateFormWindow(const TWindowCreate& create, IFormBinding& binding) {
  auto found = Classes.find(create.ClassName);
  if (found == Classes.end()) return 0;
  auto* widget = new TQtFormWidget(*this, found->second, create, binding);  // owned through Forms
  widget->setWindowIcon(ProgramIcon(found->second.IconName));
  const WindowHandle handle = widget->Handle();
  Forms[handle] = widget;
  binding.BindWindow(handle);
  ApplySizeLimits(*widget);
  return handle;
}

void TQtWindowSystem::ApplySizeLimits(TQtFormWidget& widget) {
  const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(0, 0);
  CurrentMinMax = TMinMaxInfo{};
  CurrentMinMax.MaxSize = {screen.width(), screen.height()};
  CurrentMinMax.MinTrackSize = {0, 0};
  CurrentMinMax.MaxTrackSize = {DefaultMaxTrack, DefaultMaxTrack};
  if (widget.Binding()) widget.Binding()->WindowProc(WM::GETMINMAXINFO, 0, MinMaxToken);
  widget.setMinimumSize(std::max(CurrentMinMax.MinTrackSize.X, 0), std::max(CurrentMinMax.MinTrackSize.Y, 0));
  widget.setMaximumSize(std::clamp(CurrentMinMax.MaxTrackSize.X, 1, QWIDGETSIZE_MAX),
                        std::clamp(CurrentMinMax.MaxTrackSize.Y, 1, QWIDGETSIZE_MAX));
}

TMinMaxInfo* TQtWindowSystem::MinMaxInfo(MessageParam lParam) {
  return lParam == MinMaxToken ? &CurrentMinMax : nullptr;
}

void TQtWindowSystem::DestroyWindow(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  Forms.erase(window);
  if (Capture == window) Capture = 0;
  if (IFormBinding* binding = widget->Binding()) {
    binding->WindowProc(WM::DESTROY, 0, 0);
    widget->Unbind();
    binding->UnbindWindow();
  }
  widget->hide();
  widget->deleteLater();  // the widget may be inside one of its own events
}

MessageResult TQtWindowSystem::DefaultHandling(WindowHandle window, const FormMessage& message) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return 0;
  if (message.Msg == WM::SYSCOMMAND && (message.WParam & 0xFFF0) == SC::CLOSE) {
    SendFormMessage(window, WM::CLOSE, 0, 0);
    return 0;
  }
  if (message.Msg == WM::CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  widget->RequestDefault();
  return 0;
}

MessageResult TQtWindowSystem::SendFormMessage(WindowHandle window, uint32_t msg, MessageParam wParam,
                                               MessageParam lParam) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr || widget->Binding() == nullptr) return 0;
  return widget->Binding()->WindowProc(msg, wParam, lParam);
}

uint32_t TQtWindowSystem::RegisterNamedMessage(const std::string& name) {
  if (name.empty()) return 0;
  auto found = RegisteredMessages.find(name);
  if (found != RegisteredMessages.end()) return found->second;
  const uint32_t id = FirstRegisteredMessage + static_cast<uint32_t>(RegisteredMessages.size());
  if (id > LastRegisteredMessage) return 0;
  RegisteredMessages.emplace(name, id);
  return id;
}

void TQtWindowSystem::SetWindowCaption(WindowHandle window, const std::string& text) {
  if (TQtFormWidget* widget = Find(window)) widget->setWindowTitle(FromBytes(text));
}

std::string TQtWindowSystem::GetWindowCaption(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  return widget ? widget->windowTitle().toLocal8Bit().toStdString() : std::string();
}

void TQtWindowSystem::MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                                bool repaint) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  widget->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
  if (repaint) widget->update();
}

void TQtWindowSystem::SetWindowSize(WindowHandle window, int32_t width, int32_t height) {
  // On Linux the frame belongs to the window manager: the size is the client size.
  if (TQtFormWidget* widget = Find(window)) widget->resize(std::max(width, 0), std::max(height, 0));
}

void TQtWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  if (OnWayland()) {
    // Changing the flag would have Qt create the window anew, which the
    // compositor then puts somewhere else, and still not keep it on top.
    widget->setProperty(TopmostWish, topmost);
    return;
  }
  const bool visible = widget->isVisible();
  if (widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != topmost) {
    const QRect geometry = widget->geometry();
    widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    widget->setGeometry(geometry);
  }
  ReshowAfterFlagChange(*widget, visible, true);
}

bool TQtWindowSystem::IsTopmost(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return false;
  if (OnWayland()) return widget->property(TopmostWish).toBool();
  return widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TQtWindowSystem::ShowWindow(WindowHandle window, int32_t command) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  switch (command) {
    case SW::HIDE:
      widget->hide();
      break;
    case SW::SHOWNA:
      widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
      widget->show();
      widget->setAttribute(Qt::WA_ShowWithoutActivating, false);
      break;
    case SW::RESTORE:
    case SW::SHOWNORMAL:
      widget->showNormal();
      break;
    case SW::SHOWMAXIMIZED:
      widget->showMaximized();
      break;
    case SW::SHOWMINIMIZED:
      widget->showMinimized();
      break;
    default:
      widget->show();
      break;
  }
}

void TQtWindowSystem::UpdateWindow(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget && widget->isVisible()) widget->repaint();
}

bool TQtWindowSystem::IsZoomed(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  return widget && widget->isMaximized();
}

TRect TQtWindowSystem::GetClientRect(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return {};
  return TRect{0, 0, widget->width(), widget->height()};
}

TRect TQtWindowSystem::AdjustWindowRect(const TRect& client, uint32_t) { return client; }

uint32_t TQtWindowSystem::GetStyleBits(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return 0;
  uint32_t style = widget->Style;
  if (widget->isVisible()) style |= WS::VISIBLE;
  if (widget->isMaximized()) style |= WS::MAXIMIZE;
  return style;
}

void TQtWindowSystem::SetWindowStyle(WindowHandle window, uint32_t style) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  widget->Style = style & ~(WS::VISIBLE | WS::MAXIMIZE);
  const bool frameless = (style & WS::CAPTION) != WS::CAPTION;
  if (!(style & WS::MAXIMIZE) && widget->isMaximized())
    widget->setWindowState(widget->windowState() & ~Qt::WindowMaximized);
  if (widget->windowFlags().testFlag(Qt::FramelessWindowHint) != frameless) {
    const QRect geometry = widget->geometry();
    widget->setWindowFlag(Qt::FramelessWindowHint, frameless);  // hides the widget
    widget->setGeometry(geometry);
  }
}

TWindowPlacement TQtWindowSystem::GetWindowPlacement(WindowHandle window) {
  TWindowPlacement placement;
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return placement;
  placement.ShowCmd = widget->isMaximized()   ? SW::SHOWMAXIMIZED
                      : widget->isMinimized() ? SW::SHOWMINIMIZED
                                              : SW::SHOWNORMAL;
  QRect normal = widget->normalGeometry();
  if (!normal.isValid()) normal = widget->geometry();
  placement.NormalPosition = TRect{normal.left(), normal.top(), normal.left() + normal.width(),
                                   normal.top() + normal.height()};
  return placement;
}

void TQtWindowSystem::SetWindowPlacement(WindowHandle window, const TWindowPlacement& placement) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  const TRect& normal = placement.NormalPosition;
  if (widget->isMaximized() || widget->isMinimized()) widget->showNormal();
  widget->setGeometry(normal.Left, normal.Top, std::max(normal.Width(), 0), std::max(normal.Height(), 0));
  if (placement.ShowCmd == SW::SHOWMAXIMIZED)
    widget->showMaximized();
  else if (placement.ShowCmd == SW::SHOWMINIMIZED)
    widget->showMinimized();
  else
    widget->showNormal();
}

TPoint TQtWindowSystem::ScreenSize() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  return TPoint{screen->geometry().width(), screen->geometry().height()};
}

void TQtWindowSystem::InvalidateRect(WindowHandle window, const TRect* rect, bool) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return;
  if (rect == nullptr)
    widget->update();
  else if (rect->Width() > 0 && rect->Height() > 0)
    widget->update(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()));
}

std::unique_ptr<IPaintTarget> TQtWindowSystem::BeginPaint(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr || !widget->testAttribute(Qt::WA_WState_InPaintEvent)) return nullptr;
  return std::make_unique<TQtPaintTarget>(*widget);
}

int32_t TQtWindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                   uint32_t style) {
  TQtFormWidget* parent = Find(owner);
  QMessageBox box(parent);
  box.setWindowTitle(FromBytes(caption));
  box.setText(FromBytes(text));
  box.setStandardButtons(QMessageBox::Ok);
  if ((style & 0xF0) == MB::ICONEXCLAMATION) {
    box.setIcon(QMessageBox::Warning);
  } else if ((style & 0xF0) == MB::USERICON) {
    const QIcon icon = ProgramIcon("MAINICON");
    box.setIconPixmap(icon.pixmap(48, 48));
    box.setWindowIcon(icon);
  }
  box.exec();
  return ID::OK;
}

bool TQtWindowSystem::AskSaveFileName(TSaveFileDialog& dialog) {
  return ExecSaveDialog(dialog, Find(dialog.Owner));
}

int32_t TQtWindowSystem::TrackPopupMenu(const TPopupMenu& menu, TPoint at, WindowHandle owner) {
  return ExecPopupMenu(menu, QPoint(at.X, at.Y), Find(owner));
}

TPoint TQtWindowSystem::GetCursorPos() {
  const QPoint point = QCursor::pos();
  return TPoint{point.x(), point.y()};
}

void TQtWindowSystem::SetCapture(WindowHandle window) {
  if (Find(window)) Capture = window;
}

WindowHandle TQtWindowSystem::GetCapture() { return Capture; }

void TQtWindowSystem::ReleaseCapture() { Capture = 0; }

void TQtWindowSystem::LoseCapture(WindowHandle window) {
  if (Capture != window) return;
  Capture = 0;
  SendFormMessage(window, WM::CAPTURECHANGED, 0, 0);
}

TPoint TQtWindowSystem::GetCursorClientPos(WindowHandle window) {
  TQtFormWidget* widget = Find(window);
  if (widget == nullptr) return {};
  const QPoint point = widget->mapFromGlobal(QCursor::pos());
  return TPoint{point.x(), point.y()};
}

MessageParam TQtWindowSystem::HoldDrop(std::vector<std::string> files) {
  const MessageParam token = NextDrop++;
  if (NextDrop == 0) NextDrop = 1;
  Drops[token] = std::move(files);
  return token;
}

std::string TQtWindowSystem::DroppedFile(MessageParam drop, uint32_t index) {
  auto found = Drops.find(drop);
  if (found == Drops.end() || index >= found->second.size()) return {};
  return found->second[index];
}

void TQtWindowSystem::DragFinish(MessageParam drop) { Drops.erase(drop); }

void TQtWindowSystem::PostQuitMessage(int32_t code) {
  QMetaObject::invokeMethod(qApp, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

int32_t TQtWindowSystem::RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) {
  TranslateKey = &translateKey;
  const int code = QApplication::exec();
  TranslateKey = nullptr;
  return code;
}

bool TQtWindowSystem::eventFilter(QObject* watched, QEvent* event) {
  // Every key press reaches exactly one top-level QWindow first; that is
  // where it is offered to the accelerators, unless a modal box or a menu
  // has its own loop running.
  if (event->type() != QEvent::KeyPress || TranslateKey == nullptr || !watched->isWindowType())
    return QObject::eventFilter(watched, event);
  if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr)
    return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers modifiers = key->modifiers();
  const auto code = VirtualKeyFromQtKey(key->key(), modifiers.testFlag(Qt::KeypadModifier));
  if (!code) return QObject::eventFilter(watched, event);
  const TKeyPress press{*code, modifiers.testFlag(Qt::AltModifier), modifiers.testFlag(Qt::ControlModifier),
                        modifiers.testFlag(Qt::ShiftModifier)};
  if ((*TranslateKey)(press)) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace mova
