// The real player on the virtual display: window size, status bar pixels,
// the "Cannot play." box, the exit codes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "e2e/ChildProcess.h"
#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

TEST(EndToEnd, AClipPlaysInAWindowOfThePictureAndTheBarAndTheMarkerMoves) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  Player mova({clip}, {{"QADLPROF", ProfileRoot("clip")}});
  const auto found = mova.WaitForWindows("e2e-clip-320x240.avi \\(320x240 25.000fps\\) 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  const std::string window = found[0];
  // The display applies the size a moment after the title.
  EXPECT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(320, 253); }));
  // Other tests' windows may share the display: this one goes to the bottom
  // right corner, where nothing covers it.
  MoveToCorner(window, 320, 253);

  // The picture over the bar with its marker, and a while later the marker
  // further on. The picture is the video's: the test pattern is not black at
  // its centre.
  Snapshot first;
  ASSERT_TRUE(WaitFor([&] {
    first = Capture(window);
    return first.Width == 320 && first.Height == 253 && first.At(0, 240) == Gray && MarkerCentre(first) >= 0 &&
           !(first.At(160, 60) == (Pixel{0, 0, 0}));
  })) << "no picture over a status bar with a marker";
  Snapshot second;
  EXPECT_TRUE(WaitFor([&] { return MarkerCentre(second = Capture(window)) > MarkerCentre(first) + 30; }, 3000ms));
  ASSERT_EQ(first.Width, 320);
  ASSERT_EQ(second.Height, 253);
  for (int x = 0; x < 320; ++x) ASSERT_EQ(first.At(x, 240), Gray) << "column " << x;
  int cyan = 0;
  for (int y = 241; y < 253; ++y)
    for (int x = 0; x < 320; ++x) cyan += first.At(x, y) == Cyan;
  EXPECT_GT(cyan, 100);
  const double before = MarkerCentre(first);
  const double after = MarkerCentre(second);
  EXPECT_GE(before, 0);
  EXPECT_GT(after, before + 30) << "the marker did not move";
  EXPECT_TRUE(mova->Running());
}

// Seconds of processor time the process has used so far.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The fields after the command name, which ends at the last parenthesis.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i)
    if (i >= 14) ticks += std::stod(field);  // user and system time
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

TEST(EndToEnd, AStillPictureWithRepeatOnStaysStoppedAndTheWindowAnswers) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string picture =
      GeneratedMedia("e2e-still.png", "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240 -frames:v 1 {OUT}");
  ASSERT_FALSE(picture.empty());
  Player mova({picture}, {{"QADLPROF", ProfileRoot("still")}});
  const auto found = mova.WaitForWindows("e2e-still.png \\(320x240 0.000fps\\) 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  const std::string window = found[0];
  ASSERT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(320, 253); }));
  MoveToCorner(window, 320, 253);
  int stopText = 0;
  ASSERT_TRUE(WaitFor([&] { return (stopText = StateTextPixels(Capture(window))) > 0; })) << "not stopped";
  Key(window, "r");
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(Capture(window)) > stopText + 10; }))
      << "the bar does not say REPEAT";
  // A player that spins on the end shows it only over time: its processor
  // time is measured over a second and a half.
  const double before = CpuSeconds(mova->Pid());
  std::this_thread::sleep_for(1500ms);
  EXPECT_LT(CpuSeconds(mova->Pid()) - before, 0.5) << "the player spins";
  // A zoom key still resizes the window.
  Key(window, "2");
  EXPECT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(640, 493); })) << "the window does not answer";
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEnd, ARawH264StreamPlaysToItsEndWithTheMarkerMoving) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string stream = GeneratedMedia(
      "e2e-raw.h264", "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=4 "
                      "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -f h264 {OUT}");
  ASSERT_FALSE(stream.empty());
  Player mova({stream}, {{"QADLPROF", ProfileRoot("raw-h264")}});
  const auto found = mova.WaitForWindows("e2e-raw.h264 \\(320x240 25.000fps\\) 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  const auto start = std::chrono::steady_clock::now();
  const std::string window = found[0];
  ASSERT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(320, 253); }));
  MoveToCorner(window, 320, 253);
  // Until the end the bar shows no state word; the marker keeps moving.
  std::set<double> markers;
  const bool stopped = WaitFor([&] {
    const Snapshot shot = Capture(window);
    if (StateTextPixels(shot) > 0) return true;
    markers.insert(MarkerCentre(shot));
    return false;
  }, 10s);
  const auto played = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  ASSERT_TRUE(stopped) << "still playing after " << played.count() << " ms";
  EXPECT_GT(played.count(), 3500) << "stopped early";
  EXPECT_GE(markers.size(), 4u) << "the marker hardly moved";
  EXPECT_GT(MarkerCentre(Capture(window)), 315) << "the end is at the right";
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEnd, AFileThatCannotBePlayedShowsTheBoxAndTheProgramRunsOn) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  std::string noise(4096, '\0');
  uint32_t seed = 12345;
  for (char& byte : noise) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 16);
  }
  const std::string file = WriteTestFile("e2e-noise.bin", noise);
  Player mova({file}, {{"QADLPROF", ProfileRoot("noise")}});
  // The main window and the box over it are both captioned "Mova".
  const auto found = mova.WaitForWindows("^Mova$", 2);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_TRUE(mova->Running());
  // Confirming the box leaves the empty main window. A size the display
  // would not tell is asked again rather than taken for the box's.
  EXPECT_TRUE(WaitFor([&] {
    const auto left = Windows(mova->Pid(), "^Mova$");
    for (const std::string& id : left) {
      const auto size = Size(id);
      if (size.first > 0 && size != std::make_pair(320, 240)) Key(id, "Return");
    }
    return left.size() == 1;
  })) << "the box stayed";
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEnd, WithoutADisplayTheProgramEndsWith255AndOneLine) {
  ChildProcess mova(MOVA_BINARY, {}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}});
  const auto code = mova.Wait(20s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 255);
  const std::string errors = mova.Errors();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  EXPECT_EQ(errors.rfind("mova: ", 0), 0u) << errors;
}

TEST(EndToEnd, TheExitCommandEndsTheProgramWithZero) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  Player mova({}, {{"QADLPROF", ProfileRoot("exit", "X Exit\n")}});
  const auto found = mova.WaitForWindows("^Mova$", 1);
  ASSERT_EQ(found.size(), 1u);
  std::optional<int> code;
  for (int attempt = 0; attempt < 3 && !code; ++attempt) {
    Shell("xdotool key --window " + found[0] + " x");
    code = mova->Wait(4s);
  }
  ASSERT_TRUE(code.has_value()) << "still running after the Exit key";
  EXPECT_EQ(*code, 0);
}

}  // namespace
}  // namespace mova::test
