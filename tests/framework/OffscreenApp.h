#pragma once
// The one QApplication of a Qt backend test binary, on the offscreen
// platform so that the tests run without a display.
#include <QApplication>

#include <cstdlib>

namespace mova {

inline QApplication& OffscreenApp() {
  static int argc = 1;
  static char name[] = "mova_qt_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace mova
