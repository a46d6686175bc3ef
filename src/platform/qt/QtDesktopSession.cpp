#include "platform/qt/QtDesktopSession.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QMetaObject>

#include <mutex>
#include <thread>

#include "platform/qt/MprisObject.h"

namespace mova {

namespace {

constexpr char ConnectionName[] = "mova-desktop";
// A call that takes longer is abandoned: a busy or stuck bus never holds up
// the player.
constexpr int CallTimeoutMs = 3000;
constexpr int ExitTimeoutMs = 500;
constexpr char Reason[] = "Playing a video";

}  // namespace

// What the joining thread and the session share: the session may be gone
// when the bus answers.
struct TQtDesktopSession::TJoin {
  std::mutex Lock;
  TQtDesktopSession* Session = nullptr;  // null once the session has gone
};

QString TQtDesktopSession::BusName() {
  return QStringLiteral("org.mpris.MediaPlayer2.mova.instance%1").arg(QCoreApplication::applicationPid());
}

TQtDesktopSession::TQtDesktopSession() : Join(std::make_shared<TJoin>()) {
  Controls = std::make_unique<TMprisObject>([this]() -> const TMediaControlsState& { return State; },
                                            [this]() -> int64_t { return Position ? Position() : 0; },
                                            [this](const TControlRequest& request) {
                                              if (OnRequest) OnRequest(request);
                                            });
  Join->Session = this;
  // Connecting says hello to the bus and waits for its answer: done on a
  // thread of its own, which a bus that never answers holds, not the window.
  std::thread([join = Join, controls = Controls.get()] {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, ConnectionName);
    if (!bus.isConnected()) return;
    std::lock_guard<std::mutex> guard(join->Lock);
    if (join->Session == nullptr) return;
    // The object first, so that whoever sees the name finds it.
    bus.registerVirtualObject(MprisPath, controls);
    QMetaObject::invokeMethod(join->Session, [join, bus] {
      std::lock_guard<std::mutex> inner(join->Lock);
      if (join->Session != nullptr) join->Session->Joined(bus);
    }, Qt::QueuedConnection);
  }).detach();
}

TQtDesktopSession::~TQtDesktopSession() {
  {
    std::lock_guard<std::mutex> guard(Join->Lock);
    Join->Session = nullptr;
  }
  // The object may be on the bus before the session knew it had joined.
  QDBusConnection(QString::fromLatin1(ConnectionName)).unregisterObject(MprisPath);
  if (Bus) {
    // The hold goes with the connection anyway; asked to go, the screen
    // saver knows at once.
    ScreenWanted = false;
    Release(true);
    if (Releasing && !Releasing->isFinished()) Releasing->waitForFinished();
  }
  QDBusConnection::disconnectFromBus(ConnectionName);
  if (!Cover.empty()) QFile::remove(QString::fromStdString(Cover));
}

void TQtDesktopSession::Joined(const QDBusConnection& connection) {
  Bus = connection;
  // Asked for without waiting: the controls find the player once the bus
  // has given it the name.
  QDBusMessage request = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                        "org.freedesktop.DBus", "RequestName");
  request << BusName() << 4u;  // DBUS_NAME_FLAG_DO_NOT_QUEUE
  Bus->asyncCall(request, CallTimeoutMs);
  Cover = (QDir::tempPath() + QStringLiteral("/mova-cover-%1.png").arg(QCoreApplication::applicationPid()))
              .toStdString();
  SyncScreen();
}

std::string TQtDesktopSession::CoverFile() const { return Cover; }

void TQtDesktopSession::PublishControls(const TMediaControlsState& state, const std::vector<std::string>& changed) {
  State = state;
  if (!Bus || changed.empty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(MprisPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
  signal << QString::fromLatin1(MprisPlayerInterface) << Controls->PlayerProperties(changed) << QStringList();
  Bus->send(signal);
}

void TQtDesktopSession::AnnounceSeek(int64_t position) {
  if (!Bus) return;
  QDBusMessage signal = QDBusMessage::createSignal(MprisPath, MprisPlayerInterface, "Seeked");
  signal << static_cast<qlonglong>(position);
  Bus->send(signal);
}

void TQtDesktopSession::KeepScreenOn(bool on) {
  ScreenWanted = on;
  SyncScreen();
}

void TQtDesktopSession::SyncScreen() {
  if (!Bus || Asking) return;
  const bool held = Cookie != 0 || !PortalRequest.isEmpty();
  if (ScreenWanted && !held) Inhibit(false);
  if (!ScreenWanted && held) Release(false);
}

void TQtDesktopSession::Inhibit(bool portal) {
  QDBusMessage call =
      portal ? QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                              "org.freedesktop.portal.Inhibit", "Inhibit")
             : QDBusMessage::createMethodCall("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                              "org.freedesktop.ScreenSaver", "Inhibit");
  if (portal)
    call << QString() << 8u << QVariantMap{{"reason", QString::fromLatin1(Reason)}};  // 8: the session's idling
  else
    call << QStringLiteral("Mova") << QString::fromLatin1(Reason);
  Asking = true;
  auto* watcher = new QDBusPendingCallWatcher(Bus->asyncCall(call, CallTimeoutMs), this);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, portal](QDBusPendingCallWatcher* done) {
    done->deleteLater();
    Asking = false;
    const QDBusMessage reply = done->reply();
    const QVariant value = reply.arguments().value(0);
    if (reply.type() == QDBusMessage::ReplyMessage && !portal) Cookie = value.toUInt();
    if (reply.type() == QDBusMessage::ReplyMessage && portal)
      PortalRequest = qvariant_cast<QDBusObjectPath>(value).path();
    // Nothing answers for the screen saver: the desktop's portal may.
    if (reply.type() != QDBusMessage::ReplyMessage && !portal) {
      if (ScreenWanted) Inhibit(true);
      return;
    }
    SyncScreen();
  });
}

void TQtDesktopSession::Release(bool wait) {
  QDBusMessage call;
  if (Cookie != 0) {
    call = QDBusMessage::createMethodCall("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                          "org.freedesktop.ScreenSaver", "UnInhibit");
    call << Cookie;
  } else if (!PortalRequest.isEmpty()) {
    call = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop", PortalRequest,
                                          "org.freedesktop.portal.Request", "Close");
  } else {
    return;
  }
  Cookie = 0;
  PortalRequest.clear();
  Releasing.emplace(Bus->asyncCall(call, wait ? ExitTimeoutMs : CallTimeoutMs));
}

}  // namespace mova
