#include "platform/qt/QtApplication.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace mova {

namespace {

int NoDisplayExitCode = 1;
std::string FirstWarning;

// Active only while the application connects to the display: Qt reports a
// missing display with warnings and then a fatal message that would abort.
void OpeningMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    std::string reason = FirstWarning.empty() ? message.section('\n', 0, 0).toStdString() : FirstWarning;
    std::fprintf(stderr, "mova: the main window cannot be created: %s\n", reason.c_str());
    std::fflush(stderr);
    std::_Exit(NoDisplayExitCode);
  }
  if (type == QtWarningMsg && FirstWarning.empty()) FirstWarning = message.section('\n', 0, 0).toStdString();
}

}  // namespace

std::unique_ptr<QApplication> OpenQtApplication(int& argc, char** argv, int exitCodeWithoutDisplay) {
  NoDisplayExitCode = exitCodeWithoutDisplay;
  FirstWarning.clear();
  QtMessageHandler previous = qInstallMessageHandler(OpeningMessageHandler);
  auto application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  return application;
}

}  // namespace mova
