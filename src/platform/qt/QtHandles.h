#pragma once
// How the Qt backends turn the core's window handles into widgets and back.
#include <QWidget>

#include "framework/WindowHandle.h"

namespace mova {

inline QWidget* WidgetFromHandle(WindowHandle handle) { return reinterpret_cast<QWidget*>(handle); }
inline WindowHandle HandleFromWidget(QWidget* widget) { return reinterpret_cast<WindowHandle>(widget); }

}  // namespace mova
