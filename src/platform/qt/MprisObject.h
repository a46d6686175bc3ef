#pragma once
// The desktop's media controls' view of the player: the object
// /org/mpris/MediaPlayer2 with the MediaPlayer2 and MediaPlayer2.Player
// interfaces and their properties. It answers on the window thread, where
// the state is and the requests are carried out.
#include <QDBusVirtualObject>
#include <QVariantMap>

#include <functional>

#include "framework/DesktopSession.h"

namespace mova {

inline constexpr char MprisPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char MprisPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

class TMprisObject final : public QDBusVirtualObject {
 public:
  // `state` gives what the controls show, `position` the position now,
  // `request` carries out what they ask; all are called on the window thread.
  TMprisObject(std::function<const TMediaControlsState&()> state, std::function<int64_t()> position,
               std::function<void(const TControlRequest&)> request);

  QString introspect(const QString& path) const override;
  // Called on the bus's own thread: the message is answered on the window
  // thread.
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  // The player's properties named, as the PropertiesChanged signal gives them.
  QVariantMap PlayerProperties(const std::vector<std::string>& names) const;

 private:
  QDBusMessage Answer(const QDBusMessage& message);
  QDBusMessage AnswerProperties(const QDBusMessage& message);
  QVariant Property(const QString& interface, const QString& name) const;
  QVariantMap Metadata() const;

  std::function<const TMediaControlsState&()> State;
  std::function<int64_t()> Position;
  std::function<void(const TControlRequest&)> Request;
};

}  // namespace mova
