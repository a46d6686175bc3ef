#include "platform/qt/MprisObject.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMetaObject>
#include <QStringList>

namespace mova {

namespace {

constexpr char RootInterface[] = "org.mpris.MediaPlayer2";
constexpr char PropertiesInterface[] = "org.freedesktop.DBus.Properties";
constexpr char IntrospectableInterface[] = "org.freedesktop.DBus.Introspectable";

// What the object offers, as introspection shows it.
constexpr char Interfaces[] = R"(
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg direction="in" name="Offset" type="x"/></method>
    <method name="SetPosition">
      <arg direction="in" name="TrackId" type="o"/><arg direction="in" name="Position" type="x"/>
    </method>
    <method name="OpenUri"><arg direction="in" name="Uri" type="s"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="readwrite"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="readwrite"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
)";

const QStringList PlayerNames = {"PlaybackStatus", "Rate",      "Metadata",      "Volume",  "Position",
                                 "MinimumRate",    "MaximumRate", "CanGoNext",   "CanGoPrevious",
                                 "CanPlay",        "CanPause",  "CanSeek",       "CanControl"};
const QStringList RootNames = {"CanQuit",     "CanRaise", "HasTrackList", "Identity", "DesktopEntry",
                               "SupportedUriSchemes", "SupportedMimeTypes"};

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TMprisObject::TMprisObject(std::function<const TMediaControlsState&()> state, std::function<int64_t()> position,
                           std::function<void(const TControlRequest&)> request)
    : State(std::move(state)), Position(std::move(position)), Request(std::move(request)) {}

QString TMprisObject::introspect(const QString& path) const {
  return path == QLatin1String(MprisPath) ? QString::fromLatin1(Interfaces) : QString();
}

bool TMprisObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.path() != QLatin1String(MprisPath)) return false;
  // Answered where the state lives; the bus's thread goes on at once.
  QMetaObject::invokeMethod(
      this,
      [this, message, connection]() mutable {
        const QDBusMessage reply = Answer(message);
        if (!message.isReplyRequired()) return;
        connection.send(reply);
      },
      Qt::QueuedConnection);
  return true;
}

QVariantMap TMprisObject::Metadata() const {
  const TMediaControlsState& state = State();
  QVariantMap metadata;
  metadata["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath(Text(state.TrackId)));
  if (state.Url.empty()) return metadata;
  metadata["mpris:length"] = QVariant::fromValue(static_cast<qlonglong>(state.Length));
  metadata["xesam:url"] = Text(state.Url);
  metadata["xesam:title"] = Text(state.Title);
  if (!state.ArtUrl.empty()) metadata["mpris:artUrl"] = Text(state.ArtUrl);
  return metadata;
}

QVariant TMprisObject::Property(const QString& interface, const QString& name) const {
  const TMediaControlsState& state = State();
  if (interface == QLatin1String(RootInterface)) {
    if (name == "CanQuit" || name == "CanRaise" || name == "HasTrackList") return false;
    if (name == "Identity") return QStringLiteral("Mova");
    if (name == "DesktopEntry") return QStringLiteral("mova");
    if (name == "SupportedUriSchemes") return QStringList{"file"};
    if (name == "SupportedMimeTypes") return QStringList{"video/mp4", "video/x-matroska", "video/webm", "audio/mpeg"};
    return {};
  }
  if (interface != QLatin1String(MprisPlayerInterface)) return {};
  if (name == "PlaybackStatus") return Text(state.Status);
  if (name == "Rate") return state.Rate;
  if (name == "Metadata") return Metadata();
  if (name == "Volume") return state.Volume;
  if (name == "Position") return QVariant::fromValue(static_cast<qlonglong>(Position ? Position() : 0));
  if (name == "MinimumRate") return state.MinimumRate;
  if (name == "MaximumRate") return state.MaximumRate;
  if (name == "CanGoNext") return state.CanGoNext;
  if (name == "CanGoPrevious") return state.CanGoPrevious;
  if (name == "CanPlay") return state.CanPlay;
  if (name == "CanPause") return state.CanPause;
  if (name == "CanSeek") return state.CanSeek;
  if (name == "CanControl") return true;
  return {};
}

QVariantMap TMprisObject::PlayerProperties(const std::vector<std::string>& names) const {
  QVariantMap properties;
  for (const std::string& name : names) {
    const QString key = Text(name);
    const QVariant value = Property(QLatin1String(MprisPlayerInterface), key);
    if (value.isValid()) properties[key] = value;
  }
  return properties;
}

QDBusMessage TMprisObject::AnswerProperties(const QDBusMessage& message) {
  const QList<QVariant> arguments = message.arguments();
  const QString interface = arguments.value(0).toString();
  const QString name = arguments.value(1).toString();
  if (message.member() == "GetAll") {
    QVariantMap all;
    const QStringList& names = interface == QLatin1String(RootInterface) ? RootNames : PlayerNames;
    for (const QString& each : names) {
      const QVariant value = Property(interface, each);
      if (value.isValid()) all[each] = value;
    }
    return message.createReply(QVariant::fromValue(all));
  }
  if (message.member() == "Get") {
    const QVariant value = Property(interface, name);
    if (!value.isValid()) return message.createErrorReply(QDBusError::InvalidArgs, "No such property");
    return message.createReply(QVariant::fromValue(QDBusVariant(value)));
  }
  if (message.member() == "Set" && interface == QLatin1String(MprisPlayerInterface) &&
      (name == "Volume" || name == "Rate")) {
    bool number = false;
    const double value = qvariant_cast<QDBusVariant>(arguments.value(2)).variant().toDouble(&number);
    if (!number) return message.createErrorReply(QDBusError::InvalidArgs, "A number is needed");
    TControlRequest request;
    request.Action = name == "Volume" ? TControlAction::SetVolume : TControlAction::SetRate;
    request.Value = value;
    Request(request);
    return message.createReply();
  }
  return message.createErrorReply(QDBusError::PropertyReadOnly, "The property cannot be set");
}

QDBusMessage TMprisObject::Answer(const QDBusMessage& message) {
  const QString interface = message.interface();
  const QString member = message.member();
  if (interface == QLatin1String(IntrospectableInterface) && member == "Introspect") {
    return message.createReply(QStringLiteral(
               "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
               "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>") +
           QString::fromLatin1(Interfaces) + QStringLiteral("</node>\n"));
  }
  if (interface == QLatin1String(PropertiesInterface)) return AnswerProperties(message);
  if (interface == QLatin1String(RootInterface)) {
    // Neither raised nor quit from outside (CanRaise and CanQuit say so).
    if (member == "Raise" || member == "Quit") return message.createReply();
  }
  if (interface == QLatin1String(MprisPlayerInterface) || interface.isEmpty()) {
    static const std::pair<const char*, TControlAction> Plain[] = {
        {"Play", TControlAction::Play},   {"Pause", TControlAction::Pause}, {"PlayPause", TControlAction::PlayPause},
        {"Stop", TControlAction::Stop},   {"Next", TControlAction::Next},   {"Previous", TControlAction::Previous}};
    TControlRequest request;
    const QList<QVariant> arguments = message.arguments();
    bool known = false;
    for (const auto& [name, action] : Plain) {
      if (member == QLatin1String(name)) {
        request.Action = action;
        known = true;
      }
    }
    if (member == "Seek" && arguments.size() == 1) {
      request.Action = TControlAction::Seek;
      request.Time = arguments[0].toLongLong(&known);
    } else if (member == "SetPosition" && arguments.size() == 2) {
      request.Action = TControlAction::SetPosition;
      request.Text = qvariant_cast<QDBusObjectPath>(arguments[0]).path().toStdString();
      request.Time = arguments[1].toLongLong(&known);
    } else if (member == "OpenUri" && arguments.size() == 1) {
      request.Action = TControlAction::OpenUri;
      request.Text = arguments[0].toString().toStdString();
      known = true;
    }
    if (known) {
      Request(request);
      return message.createReply();
    }
  }
  return message.createErrorReply(QDBusError::UnknownMethod, "No such method: " + member);
}

}  // namespace mova
