// Which session bus the program names before its threads start, so that
// showing the first window never has libdbus fork to launch one.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "platform/qt/SessionBus.h"

namespace mova::test {
namespace {

std::optional<std::string> AddressFor(const std::map<std::string, std::string>& variables,
                                      const std::set<std::string>& sockets) {
  TSessionBusClues clues;
  clues.Environment = [&](const std::string& name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
  clues.IsSocket = [&](const std::string& path) { return sockets.count(path) != 0; };
  return SessionBusAddress(clues);
}

TEST(SessionBus, ABusTheSessionNamesIsKept) {
  EXPECT_EQ(AddressFor({{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus"}}, {}), std::nullopt);
}

TEST(SessionBus, TheRuntimeFoldersBusIsNamedWithItsPathEscaped) {
  EXPECT_EQ(AddressFor({{"XDG_RUNTIME_DIR", "/run/user/1000"}}, {"/run/user/1000/bus"}),
            "unix:path=/run/user/1000/bus");
  EXPECT_EQ(AddressFor({{"XDG_RUNTIME_DIR", "/tmp/a b;c=%"}}, {"/tmp/a b;c=%/bus"}),
            "unix:path=/tmp/a%20b%3bc%3d%25/bus");
}

TEST(SessionBus, WithoutABusTheAddressRefusesInsteadOfLaunchingOne) {
  const std::string refuses = "unix:path=/dev/null";
  EXPECT_EQ(AddressFor({}, {}), refuses);
  EXPECT_EQ(AddressFor({{"XDG_RUNTIME_DIR", "/run/user/0"}}, {}), refuses) << "a folder without the socket";
  EXPECT_EQ(AddressFor({{"DBUS_SESSION_BUS_ADDRESS", ""}, {"XDG_RUNTIME_DIR", ""}}, {"/bus"}), refuses)
      << "empty values name nothing";
}

// A socket that takes connections and never answers: a session bus whose
// daemon is stopped.
class SilentSocket {
 public:
  SilentSocket() {
    Path = ::testing::TempDir() + "silent-bus-" + std::to_string(getpid());
    unlink(Path.c_str());
    Fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, Path.c_str(), sizeof where.sun_path - 1);
    bind(Fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
    listen(Fd, 4);
  }
  ~SilentSocket() {
    close(Fd);
    unlink(Path.c_str());
  }
  std::string Path;
  int Fd = -1;
};

TEST(SessionBus, ABusThatDoesNotAnswerAtOnceCountsAsNone) {
  SilentSocket silent;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(BusAnswers("unix:path=" + silent.Path, 300));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  EXPECT_LT(waited, std::chrono::seconds(2));
  EXPECT_FALSE(BusAnswers("unix:path=/nonexistent/bus", 300));
  EXPECT_FALSE(BusAnswers("unix:path=/dev/null", 300));
  EXPECT_FALSE(BusAnswers("unix:path=/a%zz", 300)) << "a broken escape names nothing";
  EXPECT_TRUE(BusAnswers("tcp:host=localhost,port=1", 300)) << "only unix sockets are tried";

  // A real bus answers, under its abstract name or its path.
  std::FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
  ASSERT_NE(daemon, nullptr);
  char line[512] = {};
  std::string address = std::fgets(line, sizeof line, daemon) != nullptr ? line : "";
  const long pid = std::fgets(line, sizeof line, daemon) != nullptr ? std::atol(line) : 0;
  pclose(daemon);
  if (address.empty() || pid <= 0) GTEST_SKIP() << "no dbus-daemon to start";
  address.erase(address.find_last_not_of('\n') + 1);
  EXPECT_TRUE(BusAnswers(address, 300)) << address;
  kill(static_cast<pid_t>(pid), SIGTERM);
}

}  // namespace
}  // namespace mova::test
