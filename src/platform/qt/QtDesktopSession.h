#pragma once
// The desktop's session bus: the screen saver asked to wait while a picture
// plays (the freedesktop screen saver, else the desktop portal), and the
// media controls' interface under the program's own name. Nothing here waits
// on the window thread: the bus is joined on a thread of its own, every call
// is asynchronous with a time limit, and without a bus everything is a quiet
// no-op.
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>

#include <memory>
#include <optional>
#include <string>

#include "framework/DesktopSession.h"

namespace mova {

class TMprisObject;

class TQtDesktopSession final : public QObject, public IDesktopSession {
 public:
  // Starts joining the session bus; call on the window thread.
  TQtDesktopSession();
  ~TQtDesktopSession() override;

  void KeepScreenOn(bool on) override;
  void PublishControls(const TMediaControlsState& state, const std::vector<std::string>& changed) override;
  void AnnounceSeek(int64_t position) override;
  std::string CoverFile() const override;

  // The name the media controls find the player by.
  static QString BusName();

 private:
  struct TJoin;  // shared with the thread that joins the bus
  void Joined(const QDBusConnection& connection);
  // Brings the screen saver's hold in line with what is wanted.
  void SyncScreen();
  void Inhibit(bool portal);
  void Release(bool wait);

  std::shared_ptr<TJoin> Join;
  std::optional<QDBusConnection> Bus;
  std::unique_ptr<TMprisObject> Controls;
  TMediaControlsState State;
  bool ScreenWanted = false;
  bool Asking = false;       // an Inhibit call is under way
  uint32_t Cookie = 0;       // the screen saver's, while it holds
  QString PortalRequest;     // the portal's, while it holds
  std::optional<QDBusPendingCall> Releasing;
  std::string Cover;
};

}  // namespace mova
