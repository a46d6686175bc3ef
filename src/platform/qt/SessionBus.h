#pragma once
// Which D-Bus session bus the program's windows use. Qt's accessibility asks
// for the session bus when the first window is shown. Where none is named
// and none is in the runtime folder, libdbus then forks and executes
// dbus-launch to start one ("autolaunch"); the child of a fork made while
// other threads hold locks (the start-up warm-up, the font list, GStreamer's
// threads) can wait for ever before its exec, and with it the window thread.
// Naming the bus, or its absence, before any thread starts leaves the lookup
// a plain connect.
#include <functional>
#include <optional>
#include <string>

namespace mova {

struct TSessionBusClues {
  std::function<std::optional<std::string>(const std::string&)> Environment;  // nothing when unset
  std::function<bool(const std::string&)> IsSocket;
};

// The address to name the session bus by; nothing when the environment
// already names one. A bus in $XDG_RUNTIME_DIR/bus is named as libdbus would
// find it itself; without one the address is one that refuses at once.
std::optional<std::string> SessionBusAddress(const TSessionBusClues& clues);

// Whether the bus at `address` answers within `timeoutMs`: its socket takes
// the connection and replies to the first line of the handshake. A bus that
// takes connections and never answers (a session frozen or stopped) would
// hold every first use of the bus for libdbus's 25 seconds. A unix address
// with neither a path nor an abstract name does not answer; other
// transports are taken as answering.
bool BusAnswers(const std::string& address, int timeoutMs);

// Sets DBUS_SESSION_BUS_ADDRESS for this process by that rule, and to the
// refusing address when the bus named does not answer. Call it before the
// process starts any thread: it changes the environment.
void NameSessionBus();

}  // namespace mova
