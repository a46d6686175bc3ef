#include "platform/qt/QtFormWidget.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/QtKeyCodes.h"
#include "platform/qt/QtWindowSystem.h"

namespace mova {

namespace {

uint32_t MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  uint32_t flags = 0;
  if (buttons & Qt::LeftButton) flags |= MK::LBUTTON;
  if (buttons & Qt::RightButton) flags |= MK::RBUTTON;
  if (buttons & Qt::MiddleButton) flags |= MK::MBUTTON;
  if (modifiers & Qt::ShiftModifier) flags |= MK::SHIFT;
  if (modifiers & Qt::ControlModifier) flags |= MK::CONTROL;
  return flags;
}

MessageParam PointParam(const QPoint& point) { return MakePointParam(point.x(), point.y()); }

// The message of a button event, or 0 for a button the forms do not hear.
uint32_t ButtonMessage(Qt::MouseButton button, QEvent::Type type, bool doubleClicks) {
  if (type == QEvent::MouseButtonDblClick && !doubleClicks) type = QEvent::MouseButtonPress;
  const int kind = type == QEvent::MouseButtonPress ? 0 : type == QEvent::MouseButtonRelease ? 1 : 2;
  static constexpr uint32_t Left[] = {WM::LBUTTONDOWN, WM::LBUTTONUP, WM::LBUTTONDBLCLK};
  static constexpr uint32_t Right[] = {WM::RBUTTONDOWN, WM::RBUTTONUP, WM::RBUTTONDBLCLK};
  static constexpr uint32_t Middle[] = {WM::MBUTTONDOWN, WM::MBUTTONUP, WM::MBUTTONDBLCLK};
  switch (button) {
    case Qt::LeftButton: return Left[kind];
    case Qt::RightButton: return Right[kind];
    case Qt::MiddleButton: return Middle[kind];
    default: return 0;
  }
}

std::vector<std::string> LocalFiles(const QMimeData* mime) {
  std::vector<std::string> files;
  if (mime == nullptr || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return files;
}

}  // namespace

TQtFormWidget::TQtFormWidget(TQtWindowSystem& system, const TWindowClass& windowClass, const TWindowCreate& create,
                           IFormBinding& binding)
    : QWidget(nullptr), Style(create.Style & ~(WS::VISIBLE | WS::MAXIMIZE)), ExStyle(create.ExStyle),
      System(system), Class(windowClass), FormBinding(&binding) {
  setWindowTitle(QString::fromLocal8Bit(create.Caption.c_str()));
  if ((Style & WS::CAPTION) != WS::CAPTION) setWindowFlag(Qt::FramelessWindowHint, true);
  QPalette background = palette();
  background.setColor(QPalette::Window, Class.Brush == TClassBrush::Black ? QColor(Qt::black)
                                                                           : palette().color(QPalette::Button));
  setPalette(background);
  setAutoFillBackground(true);
  setMouseTracking(true);  // moves arrive without a button held, as the forms expect
  setAcceptDrops((ExStyle & WS_EX::ACCEPTFILES) != 0);
  setFocusPolicy(Qt::StrongFocus);
  if (create.Width > 0 && create.Height > 0) resize(create.Width, create.Height);
  if (create.X != CW::USEDEFAULT && create.Y != CW::USEDEFAULT) move(create.X, create.Y);
}

bool TQtFormWidget::Deliver(uint32_t msg, MessageParam wParam, MessageParam lParam) {
  if (FormBinding == nullptr) return true;
  DefaultRequested = false;
  FormBinding->WindowProc(msg, wParam, lParam);
  return DefaultRequested;
}

bool TQtFormWidget::event(QEvent* event) {
  QPointer<TQtFormWidget> alive(this);
  bool useDefault = true;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const uint32_t msg = ButtonMessage(mouse->button(), event->type(), (Class.Style & CS::DBLCLKS) != 0);
      if (msg == 0) break;
      useDefault = Deliver(msg, MouseKeyFlags(mouse->buttons(), mouse->modifiers()),
                           PointParam(mouse->position().toPoint()));
      break;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      useDefault = Deliver(WM::MOUSEMOVE, MouseKeyFlags(mouse->buttons(), mouse->modifiers()),
                           PointParam(mouse->position().toPoint()));
      break;
    }
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      const int delta = wheel->angleDelta().y();
      if (delta == 0) break;  // a sideways turn is not a wheel step
      const auto rotation = static_cast<int16_t>(std::clamp(delta, -32768, 32767));
      useDefault = Deliver(WM::MOUSEWHEEL,
                           MakeParam(static_cast<uint16_t>(MouseKeyFlags(wheel->buttons(), wheel->modifiers())),
                                     static_cast<uint16_t>(rotation)),
                           PointParam(wheel->globalPosition().toPoint()));
      break;
    }
    case QEvent::Resize: {
      auto* resize = static_cast<QResizeEvent*>(event);
      useDefault = Deliver(WM::SIZE, isMaximized() ? SIZE::MAXIMIZED : SIZE::RESTORED,
                           MakeParam(static_cast<uint16_t>(resize->size().width()),
                                     static_cast<uint16_t>(resize->size().height())));
      break;
    }
    case QEvent::Paint:
      useDefault = Deliver(WM::PAINT, 0, 0);
      break;
    case QEvent::Close:
      // The form decides: its default handling destroys the window.
      Deliver(WM::CLOSE, 0, 0);
      event->ignore();
      return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      const auto code = VirtualKeyFromQtKey(key->key(), (key->modifiers() & Qt::KeypadModifier) != 0);
      if (!code) break;
      const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
      const uint32_t msg = event->type() == QEvent::KeyPress ? (alt ? WM::SYSKEYDOWN : WM::KEYDOWN)
                                                             : (alt ? WM::SYSKEYUP : WM::KEYUP);
      useDefault = Deliver(msg, *code, key->isAutoRepeat() ? 0x40000001u : 1u);
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (!(ExStyle & WS_EX::ACCEPTFILES) || LocalFiles(drag->mimeData()).empty()) break;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      std::vector<std::string> files = LocalFiles(drop->mimeData());
      if (!(ExStyle & WS_EX::ACCEPTFILES) || files.empty()) break;
      drop->acceptProposedAction();
      const MessageParam token = System.HoldDrop(std::move(files));
      Deliver(WM::DROPFILES, token, 0);
      System.DragFinish(token);  // a form that ignored the drop still frees it
      return true;
    }
    case QEvent::ChildAdded: {
      // The video window lies over the picture; mouse input over it belongs
      // to the form.
      QObject* child = static_cast<QChildEvent*>(event)->child();
      if (child->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(child);
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        widget->setFocusPolicy(Qt::NoFocus);
      }
      break;
    }
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
      System.LoseCapture(Handle());
      break;
    default:
      break;
  }
  if (!alive) return true;
  if (useDefault) return QWidget::event(event);
  event->accept();
  return true;
}

}  // namespace mova
