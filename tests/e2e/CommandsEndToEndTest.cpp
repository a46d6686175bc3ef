// The real player's commands on the virtual display: the default keys, a
// key map that replaces them, the right-button menu and the screen capture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

bool TitleEnds(const std::string& window, const std::string& end) {
  const std::string title = Title(window);
  return title.size() >= end.size() && title.compare(title.size() - end.size(), end.size(), end) == 0;
}

TEST(EndToEndCommands, TheDefaultKeysPauseZoomShapeStopAndMute) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  Player mova({clip}, {{"QADLPROF", ProfileRoot("default-keys")}});
  const auto found = mova.WaitForWindows("e2e-clip-320x240.avi .* 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  const std::string window = found[0];
  ASSERT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(320, 253); }));
  MoveToCorner(window, 320, 253);
  EXPECT_TRUE(WaitFor([&] {
    const Snapshot shot = Capture(window);
    return MarkerCentre(shot) >= 0 && StateTextPixels(shot) == 0;
  })) << "playing shows no state word";

  Key(window, "space");
  ASSERT_TRUE(WaitFor([&] { return StateTextPixels(Capture(window)) > 0; })) << "Space did not pause";
  const double paused = MarkerCentre(Capture(window));
  // That the marker stands still shows only over time.
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(MarkerCentre(Capture(window)), paused) << "the marker moves while paused";

  Key(window, "2");
  EXPECT_TRUE(WaitFor([&] { return TitleEnds(window, "(320x240 25.000fps) 200% - Mova"); })) << Title(window);
  EXPECT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(640, 493); }));
  Key(window, "KP_5");
  EXPECT_TRUE(WaitFor([&] { return TitleEnds(window, " 50% - Mova"); })) << Title(window);
  EXPECT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(160, 133); }));
  Key(window, "1");
  EXPECT_TRUE(WaitFor([&] { return TitleEnds(window, " 100% - Mova"); })) << Title(window);
  EXPECT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(320, 253); }));
  // 16:9 at the picture's height is wider than the window: the zoom is fitted.
  Key(window, "w");
  EXPECT_TRUE(WaitFor([&] { return TitleEnds(window, "(320x240 25.000fps) 74% - Mova"); })) << Title(window);
  EXPECT_EQ(Size(window), std::make_pair(320, 253));
  MoveToCorner(window, 320, 253);

  Key(window, "Escape");
  EXPECT_TRUE(WaitFor([&] { return MarkerCentre(Capture(window)) < 3; })) << "Esc did not stop at the start";
  const int stopText = StateTextPixels(Capture(window));
  EXPECT_GT(stopText, 0);
  Key(window, "m");
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(Capture(window)) > stopText + 10; })) << "M did not mute";
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEndCommands, TheProfilesKeyMapReplacesTheDefaultsAndTheMenuCarriesOutItsChoice) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string folder = ProfileRoot("prof-option", "") + "/own/";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "keymap") << "# only these keys\r\nX Zoom200\r\n";
  Player mova({"/prof=" + folder}, {});
  const auto found = mova.WaitForWindows("^Mova$", 1);
  ASSERT_EQ(found.size(), 1u);
  const std::string window = found[0];
  ASSERT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(320, 240); }));

  // "2" is a default key only; nothing is open, so a zoom shows as the
  // fallback width over the bar alone.
  Key(window, "2");
  // That a key does nothing shows only over time.
  std::this_thread::sleep_for(800ms);
  EXPECT_EQ(Size(window), std::make_pair(320, 240)) << "a default key still works";
  Key(window, "x");
  ASSERT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(640, 13); })) << "the key map's key did nothing";
  MoveToCorner(window, 640, 13);
  EXPECT_TRUE(WaitFor([&] {
    const Snapshot shot = Capture(window);
    return shot.Width == 640 && StateTextPixels(shot) == 0;
  })) << "the bar of an empty window shows no state word";

  // The right button opens the menu; "m" there is its Mute item (no key is
  // bound to Mute in this key map).
  std::string menu;
  for (int attempt = 0; attempt < 3 && menu.empty(); ++attempt) {
    Shell("xdotool mousemove --window " + window + " 200 5 click 3");
    WaitFor([&] {
      for (const std::string& id : VisibleWindows(mova->Pid()))
        if (id != window && Size(id).second > 100) menu = id;
      return !menu.empty();
    }, 3000ms);
  }
  ASSERT_FALSE(menu.empty()) << "no menu appeared";
  const auto [menuWidth, menuHeight] = Size(menu);
  EXPECT_GT(menuWidth, 150);
  EXPECT_GT(menuHeight, 300) << "26 items, four of them separators";
  Key(menu, "m");
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(Capture(window)) > 0; })) << "the menu's Mute did nothing";
  EXPECT_TRUE(WaitFor([&] { return Size(menu).first < 0 || Shell("xwininfo -id " + menu).find("IsViewable") == std::string::npos; }))
      << "the menu stayed open";
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEndCommands, TheCaptureKeySavesTheFrameUnderTheNameTypedInTheDialog) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  // A bare name, saved in the dialog's starting folder (the working folder),
  // that no file there begins with: the dialog's completion stays out of the way.
  const std::string name = "zq capture " + std::to_string(::getpid());
  const std::string target = (std::filesystem::current_path() / name).string();
  std::filesystem::remove(target);
  Player mova({clip}, {{"QADLPROF", ProfileRoot("capture", "C ScreenCapture\n")}});
  const auto found = mova.WaitForWindows("e2e-clip-320x240.avi .* 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  const std::string window = found[0];
  Key(window, "c");
  const auto dialogs = mova.WaitForWindows("^Save As$", 1, 10s);
  ASSERT_EQ(dialogs.size(), 1u);
  const std::string dialog = dialogs[0];
  const auto written = [&] { return std::filesystem::exists(target) && std::filesystem::file_size(target) == 230454; };
  // A dialog just shown may not take keys yet; while it is still open the
  // name is typed again.
  for (int attempt = 0; attempt < 3 && !written() && !Windows(mova->Pid(), "^Save As$").empty(); ++attempt) {
    Key(dialog, "ctrl+a");
    Shell("xdotool type --window " + dialog + " \"" + name + "\"");
    Key(dialog, "Return");
    WaitFor(written, 3000ms);
  }
  ASSERT_TRUE(written()) << "no capture at " << target;
  std::ifstream file(target, std::ios::binary);
  char header[26] = {};
  file.read(header, sizeof header);
  EXPECT_EQ(std::string(header, 2), "BM");
  EXPECT_EQ(static_cast<uint8_t>(header[18]) | static_cast<uint8_t>(header[19]) << 8, 320);
  EXPECT_EQ(static_cast<uint8_t>(header[22]) | static_cast<uint8_t>(header[23]) << 8, 240);
  EXPECT_FALSE(std::filesystem::exists(target + ".bmp"));
  // Playback stays paused: the bar shows the state word, the title is the clip's.
  MoveToCorner(window, 320, 253);
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(Capture(window)) > 0; }));
  EXPECT_TRUE(Windows(mova->Pid(), "^Mova$").empty()) << "a message box came up";
  std::filesystem::remove(target);
}

}  // namespace
}  // namespace mova::test
