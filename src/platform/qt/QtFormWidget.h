#pragma once
// The QWidget of one form: it turns the widget's events into the form's
// messages and, for what the form leaves to the default handling, lets Qt
// treat the event as usual.
#include <QWidget>

#include "framework/WindowSystem.h"

namespace mova {

class TQtWindowSystem;

class TQtFormWidget : public QWidget {
  Q_OBJECT
 public:
  TQtFormWidget(TQtWindowSystem& system, const TWindowClass& windowClass, const TWindowCreate& create,
               IFormBinding& binding);

  WindowHandle Handle() { return reinterpret_cast<WindowHandle>(static_cast<QWidget*>(this)); }
  IFormBinding* Binding() const { return FormBinding; }
  // Cuts the tie to the form: no message reaches it any more.
  void Unbind() { FormBinding = nullptr; }
  // The form left the message in flight to the default handling.
  void RequestDefault() { DefaultRequested = true; }
  const TWindowClass& WindowClass() const { return Class; }
  uint32_t Style = 0;  // without WS::VISIBLE and WS::MAXIMIZE, which the widget's state gives
  uint32_t ExStyle = 0;

 protected:
  bool event(QEvent* event) override;

 private:
  // Delivers one message to the form; true when the form left it to the
  // default handling (or the widget has no form).
  bool Deliver(uint32_t msg, MessageParam wParam, MessageParam lParam);

  TQtWindowSystem& System;
  TWindowClass Class;
  IFormBinding* FormBinding;
  bool DefaultRequested = false;
};

}  // namespace mova
