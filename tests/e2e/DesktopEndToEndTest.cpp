// Mova on a desktop's private session bus: playerctl, a media-controls
// client nobody here wrote, drives it and reads it; a stand-in screen saver
// records when it is asked to wait; a media key pauses and plays.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <signal.h>

#include "e2e/ChildProcess.h"
#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"
#include "support/WaitFor.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A session bus of the test's own, gone with it.
class PrivateBus {
 public:
  PrivateBus() {
    std::istringstream started(Shell("dbus-daemon --session --fork --print-address=1 --print-pid=1"));
    std::getline(started, Address);
    started >> Pid;
  }
  ~PrivateBus() {
    if (Pid > 0) kill(Pid, SIGTERM);
  }
  // Runs a client of the bus; its standard output, without the last newline.
  std::string Run(const std::string& command) const {
    std::string out = Shell("DBUS_SESSION_BUS_ADDRESS='" + Address + "' " + command);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  std::string Address;
  pid_t Pid = 0;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Count(const std::string& text, const std::string& word) {
  int count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

std::string FolderOfTwoClips() {
  const std::string clip = GeneratedMedia(
      "desktop-30s.mp4", "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=30 -f lavfi -i "
                         "sine=d=30 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -f mp4 {OUT}");
  if (clip.empty()) return "";
  const fs::path folder = fs::path(TestMediaDir()) / ("desktop-" + UniqueToken());
  fs::create_directories(folder);
  for (const char* name : {"part1.mp4", "part2.mp4"}) fs::copy_file(clip, folder / name);
  return folder.string();
}

TEST(EndToEndDesktop, PlayerctlDrivesThePlayerAndTheScreenSaverWaitsExactlyWhileAPicturePlays) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  PrivateBus bus;
  ASSERT_FALSE(bus.Address.empty()) << "no private session bus";
  const std::string folder = FolderOfTwoClips();
  ASSERT_FALSE(folder.empty());
  const std::string calls = folder + "/screen-saver.log";
  ChildProcess screenSaver(SCREEN_SAVER_STANDIN, {calls}, {{"DBUS_SESSION_BUS_ADDRESS", bus.Address}});
  ASSERT_TRUE(WaitFor([&] { return ReadAll(calls).find("ready") != std::string::npos; })) << screenSaver.Errors();

  Player mova({folder + "/part1.mp4"},
              {{"QADLPROF", ProfileRoot("desktop", "X Exit\n")}, {"DBUS_SESSION_BUS_ADDRESS", bus.Address}});
  const auto windows = mova.WaitForWindows("^part1\\.mp4 ", 1);
  ASSERT_EQ(windows.size(), 1u);
  const std::string name = "mova.instance" + std::to_string(mova->Pid());
  ASSERT_TRUE(WaitFor([&] { return bus.Run("playerctl -l").find(name) != std::string::npos; }))
      << "playerctl does not list " << name << ": " << bus.Run("playerctl -l");
  const std::string player = "playerctl -p " + name + " ";

  EXPECT_TRUE(WaitFor([&] { return bus.Run(player + "status") == "Playing"; }));
  EXPECT_EQ(bus.Run(player + "metadata xesam:title"), "part1.mp4");
  EXPECT_EQ(bus.Run(player + "metadata mpris:length"), "30000000");
  EXPECT_EQ(bus.Run(player + "metadata xesam:url"), "file://" + folder + "/part1.mp4");
  EXPECT_GT(std::stod("0" + bus.Run(player + "position")), 0.0);
  EXPECT_TRUE(WaitFor([&] { return Count(ReadAll(calls), "Inhibit Mova") == 1; })) << ReadAll(calls);

  // Pausing lets the screen saver go; playing again holds it again.
  bus.Run(player + "play-pause");
  EXPECT_TRUE(WaitFor([&] { return bus.Run(player + "status") == "Paused"; }));
  EXPECT_TRUE(WaitFor([&] { return Count(ReadAll(calls), "UnInhibit") == 1; })) << ReadAll(calls);
  EXPECT_GT(StateTextPixels(Capture(windows[0])), 0) << "the bar does not say PAUSE";
  bus.Run(player + "play-pause");
  EXPECT_TRUE(WaitFor([&] { return bus.Run(player + "status") == "Playing"; }));
  EXPECT_TRUE(WaitFor([&] { return Count(ReadAll(calls), "Inhibit Mova") == 2; })) << ReadAll(calls);

  bus.Run(player + "position 20");
  EXPECT_NEAR(std::stod("0" + bus.Run(player + "position")), 20.0, 1.5);
  bus.Run(player + "volume 0.45");
  EXPECT_EQ(bus.Run(player + "volume"), "0.450000");

  // The next file of the folder, then stopped: the screen saver goes again.
  bus.Run(player + "next");
  EXPECT_FALSE(mova.WaitForWindows("^part2\\.mp4 ", 1).empty());
  EXPECT_TRUE(WaitFor([&] { return bus.Run(player + "metadata xesam:title") == "part2.mp4"; }));
  bus.Run(player + "stop");
  EXPECT_TRUE(WaitFor([&] { return bus.Run(player + "status") == "Stopped"; }));
  EXPECT_TRUE(WaitFor([&] { return Count(ReadAll(calls), "UnInhibit") == Count(ReadAll(calls), "Inhibit Mova"); }))
      << ReadAll(calls);

  // Played again and left by the Exit key: the hold goes with it.
  bus.Run(player + "play");
  EXPECT_TRUE(WaitFor([&] { return Count(ReadAll(calls), "Inhibit Mova") == 3; })) << ReadAll(calls);
  Key(windows[0], "x");
  EXPECT_EQ(mova->Wait(10s), std::optional<int>(0));
  EXPECT_EQ(Count(ReadAll(calls), "UnInhibit"), 3) << ReadAll(calls);
  fs::remove_all(folder);
}

TEST(EndToEndDesktop, TheMediaPlayKeyPausesAndPlaysWithTheDefaultKeys) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  Player mova({Clip()}, {{"QADLPROF", ProfileRoot("media-keys")}});
  const auto windows = mova.WaitForWindows(" - Mova$", 1);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(StateTextPixels(Capture(windows[0])), 0);
  Key(windows[0], "XF86AudioPlay");
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(Capture(windows[0])) > 0; })) << "the key did not pause";
  Key(windows[0], "XF86AudioPlay");
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(Capture(windows[0])) == 0; })) << "the key did not play";
}

}  // namespace
}  // namespace mova::test
