#include "platform/qt/SessionBus.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mova {

namespace {

// A refused connection: no bus, and nothing forked to start one.
constexpr const char* NoBus = "unix:path=/dev/null";
constexpr int BusAnswerMs = 300;

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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of `key` in the first entry of a unix socket's D-Bus address,
// unescaped; nothing when the entry has none, or a broken one.
std::optional<std::string> UnixValue(const std::string& address, const std::string& key) {
  const std::string entry = address.substr(0, address.find(';'));
  if (entry.compare(0, 5, "unix:") != 0) return std::nullopt;
  size_t at = 5;
  while (at < entry.size()) {
    const size_t end = std::min(entry.find(',', at), entry.size());
    const std::string pair = entry.substr(at, end - at);
    at = end + 1;
    if (pair.compare(0, key.size() + 1, key + "=") != 0) continue;
    std::string value;
    for (size_t i = key.size() + 1; i < pair.size(); ++i) {
      if (pair[i] != '%') {
        value += pair[i];
        continue;
      }
      if (i + 2 >= pair.size() || HexDigit(pair[i + 1]) < 0 || HexDigit(pair[i + 2]) < 0) return std::nullopt;
      value += static_cast<char>(HexDigit(pair[i + 1]) * 16 + HexDigit(pair[i + 2]));
      i += 2;
    }
    return value;
  }
  return std::nullopt;
}

// Waits for `events` on `fd` until `deadline`.
bool Ready(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd wait{fd, events, 0};
    const int ready = poll(&wait, 1, static_cast<int>(left.count()));
    if (ready > 0) return (wait.revents & events) != 0;
    if (ready == 0) return false;
  }
}

}  // namespace

bool BusAnswers(const std::string& address, int timeoutMs) {
  if (address.compare(0, 5, "unix:") != 0) return true;
  sockaddr_un where{};
  where.sun_family = AF_UNIX;
  socklen_t length = 0;
  if (const std::optional<std::string> path = UnixValue(address, "path")) {
    if (path->empty() || path->size() >= sizeof where.sun_path) return false;
    std::memcpy(where.sun_path, path->data(), path->size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path->size() + 1);
  } else if (const std::optional<std::string> name = UnixValue(address, "abstract")) {
    // An abstract name: a zero byte, then the name, without an end.
    if (name->size() + 1 > sizeof where.sun_path) return false;
    std::memcpy(where.sun_path + 1, name->data(), name->size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name->size() + 1);
  } else {
    return false;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool answers = false;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&where), length) == 0 ||
      (errno == EINPROGRESS && Ready(fd, POLLOUT, deadline))) {
    // The handshake's first byte and a command any bus refuses at once.
    static const char Hello[] = "\0AUTH\r\n";
    char reply = 0;
    answers = send(fd, Hello, sizeof Hello - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof Hello - 1) &&
              Ready(fd, POLLIN, deadline) && recv(fd, &reply, 1, 0) == 1;
  }
  close(fd);
  return answers;
}

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
  const std::optional<std::string> address = SessionBusAddress(clues);
  if (address) setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
  // A bus that does not answer at once is as good as none: a live one
  // answers in a millisecond.
  const char* named = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (named != nullptr && std::strcmp(named, NoBus) != 0 && !BusAnswers(named, BusAnswerMs))
    setenv("DBUS_SESSION_BUS_ADDRESS", NoBus, 1);
}

}  // namespace mova
