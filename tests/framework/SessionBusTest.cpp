// Which session bus the program names before its threads start, so that
// showing the first window never has libdbus fork to launch one.
#include <gtest/gtest.h>

#include <map>
#include <set>

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

}  // namespace
}  // namespace mova::test
