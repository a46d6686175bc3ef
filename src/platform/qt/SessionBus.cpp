#include "platform/qt/SessionBus.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace mova {

namespace {

// A refused connection: no bus, and nothing forked to start one.
constexpr const char* NoBus = "unix:path=/dev/null";

// A D-Bus address value: bytes other than these are written as %xx.
std::string EscapeAddressValue(const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       byte == '-' || byte == '_' || byte == '/' || byte == '.' || byte == '\\' || byte == '*';
    if (plain) {
      escaped += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02x", byte);
      escaped += hex;
    }
  }
  return escaped;
}

}  // namespace

std::optional<std::string> SessionBusAddress(const TSessionBusClues& clues) {
  const std::optional<std::string> named = clues.Environment("DBUS_SESSION_BUS_ADDRESS");
  if (named && !named->empty()) return std::nullopt;
  const std::optional<std::string> runtime = clues.Environment("XDG_RUNTIME_DIR");
  if (runtime && !runtime->empty() && clues.IsSocket(*runtime + "/bus"))
    return "unix:path=" + EscapeAddressValue(*runtime + "/bus");
  return std::string(NoBus);
}

void NameSessionBus() {
  TSessionBusClues clues;
  clues.Environment = [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
  clues.IsSocket = [](const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
  };
  if (const std::optional<std::string> address = SessionBusAddress(clues))
    setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
}

}  // namespace mova
