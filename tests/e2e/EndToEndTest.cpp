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
  for (int i = 0; i < 30 && Size(window) != std::make_pair(320, 253); ++i) std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Size(window), std::make_pair(320, 253));
  // Other tests' windows may share the display: this one goes to the bottom
  // right corner, where nothing covers it.
  MoveToCorner(window, 320, 253);

  std::this_thread::sleep_for(400ms);
  const Snapshot first = Capture(window);
  std::this_thread::sleep_for(900ms);
  const Snapshot second = Capture(window);
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
  // The picture is the video's: the test pattern is not black at its centre.
  EXPECT_FALSE(first.At(160, 60) == (Pixel{0, 0, 0}));
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
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(mova->Running());
  // Confirming the box leaves the empty main window.
  for (const std::string& id : found) {
    if (Size(id) != std::make_pair(320, 240)) Shell("xdotool key --window " + id + " Return");
  }
  size_t left = 0;
  for (int i = 0; i < 30 && left != 1; ++i) {
    std::this_thread::sleep_for(100ms);
    left = Windows(mova->Pid(), "^Mova$").size();
  }
  EXPECT_EQ(left, 1u);
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
