#include "platform/qt/QtApplication.h"

#include <QFontDatabase>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

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

// The application with the system's font list read beside it. Reading the
// list (fontconfig's set-up and every installed font) takes several
// milliseconds that the first paint of the status bar would otherwise wait
// for; the window thread is busy creating the window and opening the file
// meanwhile. The font database is safe to use from any thread.
class TQtApplication final : public QApplication {
 public:
  TQtApplication(int& argc, char** argv)
      : QApplication(argc, argv), FontList([] { (void)QFontDatabase::families(); }) {}
  ~TQtApplication() override { FontList.join(); }

 private:
  std::thread FontList;
};

}  // namespace

std::unique_ptr<QApplication> OpenQtApplication(int& argc, char** argv, int exitCodeWithoutDisplay) {
  NoDisplayExitCode = exitCodeWithoutDisplay;
  FirstWarning.clear();
  QtMessageHandler previous = qInstallMessageHandler(OpeningMessageHandler);
  auto application = std::make_unique<TQtApplication>(argc, argv);
  qInstallMessageHandler(previous);
  return application;
}

}  // namespace mova
