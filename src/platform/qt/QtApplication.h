#pragma once
// The Qt application object, opened so that a process without a display
// ends quietly with the program's own exit code instead of Qt's abort.
#include <QApplication>
#include <memory>

namespace mova {

// Connects to the display and creates the QApplication. When no display can
// be reached, writes one line naming the reason to standard error and ends
// the process with `exitCodeWithoutDisplay`; Qt's own messages about it are
// not shown.
std::unique_ptr<QApplication> OpenQtApplication(int& argc, char** argv, int exitCodeWithoutDisplay);

}  // namespace mova
