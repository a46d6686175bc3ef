// A stand-in for the desktop's screen saver on a private session bus: it
// answers Inhibit and UnInhibit as org.freedesktop.ScreenSaver does and writes
// each call, one line each, to the file named by its argument ("ready" once
// it has its name).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <cstdio>

namespace {

class TStandIn final : public QDBusVirtualObject {
 public:
  explicit TStandIn(std::FILE* log) : Log(log) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != "org.freedesktop.ScreenSaver") return false;
    if (message.member() == "Inhibit") {
      Write("Inhibit " + message.arguments().value(0).toString());
      connection.send(message.createReply(++Cookie));
      return true;
    }
    if (message.member() == "UnInhibit") {
      Write("UnInhibit " + QString::number(message.arguments().value(0).toUInt()));
      connection.send(message.createReply());
      return true;
    }
    return false;
  }
  void Write(const QString& line) {
    std::fprintf(Log, "%s\n", line.toUtf8().constData());
    std::fflush(Log);
  }

 private:
  std::FILE* Log;
  uint Cookie = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc < 2) return 2;
  std::FILE* log = std::fopen(argv[1], "a");
  if (log == nullptr) return 2;
  TStandIn standIn(log);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerVirtualObject("/org/freedesktop/ScreenSaver", &standIn) ||
      !bus.registerService("org.freedesktop.ScreenSaver"))
    return 1;
  standIn.Write("ready");
  return application.exec();
}
