// mova.exe under Wine as a user meets it: the window sized to the picture and
// the bar, the bar's pixels, the "Cannot play." box, the keys, the key map of
// the profile option, the end and repeat, a capture, and Exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "e2e_win/MovaProcess.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

const std::string ClipTitle = "clip.avi (352x240 25.000fps) 100% - Mova";

std::string Clip() { return WindowsPath(BuiltMedia("clip.avi")); }

// A profile root of the test's own (for QADLPROF) whose key map is `keymap`.
std::string ProfileRoot(const std::string& name, const std::string& keymap) {
  const std::filesystem::path root = std::filesystem::path(MOVA_TEST_MEDIA_DIR) / ("win-profile-" + name);
  std::filesystem::create_directories(root / "mova");
  std::ofstream(root / "mova" / "keymap", std::ios::binary) << keymap;
  return root.string();
}

bool SizeIs(HWND window, int width, int height) {
  const SIZE size = ClientSize(window);
  return size.cx == width && size.cy == height;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WindowsEndToEnd, AClipPlaysInAWindowOfThePictureAndTheBarWithItsPictureAndAMovingMarker) {
  MovaProcess mova("\"" + Clip() + "\"", ProfileRoot("clip", ""));
  ASSERT_TRUE(mova.Started());
  HWND window = mova.WaitForMain(ClipTitle);
  ASSERT_NE(window, nullptr) << "no window titled " << ClipTitle;
  EXPECT_TRUE(WaitFor([&] { return SizeIs(window, 352, 253); })) << ClientSize(window).cx << "x" << ClientSize(window).cy;
  MoveToCorner(window);
  // The picture over the bar with its marker, and a while later the marker
  // further on. The picture is the clip's: the test pattern is not black at
  // its centre.
  Snapshot first;
  ASSERT_TRUE(WaitFor([&] {
    first = ClientPixels(window);
    return first.Width == 352 && first.Height == 253 && first.At(0, 240) == Gray && MarkerCentre(first) >= 0 &&
           !(first.At(176, 60) == Black);
  })) << "no picture over a status bar with a marker";
  Snapshot second;
  EXPECT_TRUE(WaitFor([&] { return MarkerCentre(second = ClientPixels(window)) > MarkerCentre(first) + 30; }, 3000ms));
  ASSERT_EQ(first.Width, 352);
  ASSERT_EQ(first.Height, 253);
  for (int x = 0; x < 352; ++x) ASSERT_EQ(first.At(x, 240), Gray) << "column " << x;
  EXPECT_GT(BarTextPixels(first), 100);
  EXPECT_EQ(StateTextPixels(first), 0) << "playing shows no state word";
  const double before = MarkerCentre(first);
  EXPECT_GE(before, 0);
  EXPECT_GT(MarkerCentre(second), before + 30) << "the marker did not move";
  EXPECT_TRUE(mova.Running());
}

TEST(WindowsEndToEnd, ASoundFileGivesTheBarAloneAndRandomBytesGiveTheBox) {
  {
    MovaProcess mova("\"" + WindowsPath(BuiltMedia("graph-sine.wav")) + "\"", ProfileRoot("wav", ""));
    HWND window = mova.WaitForWindow("TMovaClass", [](const std::string& title) { return title.rfind("graph-sine.wav", 0) == 0; });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitFor([&] { return SizeIs(window, 320, 13); }))
        << ClientSize(window).cx << "x" << ClientSize(window).cy;
  }
  const std::string noise = WindowsPath(BuiltMedia("graph-noise.bin"));
  MovaProcess mova("\"" + noise + "\"", ProfileRoot("noise", ""));
  HWND box = mova.WaitForWindow("#32770", [](const std::string& title) { return title == "Mova"; });
  ASSERT_NE(box, nullptr) << "no message box; the windows: " << mova.DescribeWindows();
  EXPECT_EQ(BoxText(box), noise + ": Cannot play.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  HWND window = mova.WaitForMain("Mova");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << "the box stayed";
  EXPECT_TRUE(mova.Running());
}

TEST(WindowsEndToEnd, TheDefaultKeysZoomAndShapeThePicture) {
  MovaProcess mova("\"" + Clip() + "\"", ProfileRoot("keys", ""));
  HWND window = mova.WaitForMain(ClipTitle);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SizeIs(window, 352, 253); }));
  PressKey(window, '2');
  EXPECT_TRUE(WaitFor([&] { return Title(window) == "clip.avi (352x240 25.000fps) 200% - Mova"; })) << Title(window);
  EXPECT_TRUE(WaitFor([&] { return SizeIs(window, 704, 493); }));
  PressKey(window, VK_NUMPAD5);
  EXPECT_TRUE(WaitFor([&] { return SizeIs(window, 176, 133); }));
  PressKey(window, '1');
  EXPECT_TRUE(WaitFor([&] { return Title(window) == ClipTitle && SizeIs(window, 352, 253); }));
  // 16:9 at the picture's height is wider than the window: the zoom is fitted.
  PressKey(window, 'W');
  EXPECT_TRUE(WaitFor([&] { return Title(window) == "clip.avi (352x240 25.000fps) 82% - Mova"; })) << Title(window);
  EXPECT_TRUE(SizeIs(window, 352, 253));
  EXPECT_TRUE(mova.Running());
}

TEST(WindowsEndToEnd, TheMediaKeyAndARemotesButtonPauseAndPlay) {
  MovaProcess mova("\"" + Clip() + "\"", ProfileRoot("media-keys", ""));
  HWND window = mova.WaitForMain(ClipTitle);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SizeIs(window, 352, 253); }));
  MoveToCorner(window);
  ASSERT_TRUE(WaitFor([&] { return MarkerCentre(ClientPixels(window)) >= 0; }));
  EXPECT_EQ(StateTextPixels(ClientPixels(window)), 0);
  PressKey(window, VK_MEDIA_PLAY_PAUSE);
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(ClientPixels(window)) > 0; })) << "the key did not pause";
  // A remote's play button comes as WM_APPCOMMAND.
  EXPECT_EQ(SendMessageA(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window),
                         MAKELPARAM(0, APPCOMMAND_MEDIA_PLAY)),
            1);
  EXPECT_TRUE(WaitFor([&] { return StateTextPixels(ClientPixels(window)) == 0; })) << "the button did not play";
}

TEST(WindowsEndToEnd, TheKeyMapOfTheProfileOptionReplacesTheDefaultsAndItsExitEndsWithZero) {
  const std::string folder = ProfileRoot("prof-option", "") + "/own/";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "keymap", std::ios::binary) << "# only these keys\r\nX Zoom200\r\nE Exit\r\n";
  MovaProcess mova("/prof=" + WindowsPath(folder), "");
  HWND window = mova.WaitForMain("Mova");
  ASSERT_NE(window, nullptr);
  // The window is found as soon as it exists; its first size comes a moment
  // later. A size is settled once it has stayed the same for a while.
  SIZE start = ClientSize(window);
  ASSERT_TRUE(WaitFor([&] {
    std::this_thread::sleep_for(400ms);
    const SIZE now = ClientSize(window);
    const bool settled = now.cx == start.cx && now.cy == start.cy;
    start = now;
    return settled;
  }));
  PressKey(window, '2');  // a default key only
  // That a key does nothing shows only over time.
  std::this_thread::sleep_for(800ms);
  EXPECT_TRUE(SizeIs(window, start.cx, start.cy)) << "a default key still works";
  // Nothing is open: a zoom shows as the fallback width over the bar alone.
  PressKey(window, 'X');
  EXPECT_TRUE(WaitFor([&] { return SizeIs(window, 640, 13); })) << "the key map's key did nothing";
  PressKey(window, 'E');
  EXPECT_EQ(mova.Wait(10s), std::optional<DWORD>(0));
}

TEST(WindowsEndToEnd, TheEndStopsPlaybackAndRepeatRestartsIt) {
  MovaProcess mova("\"" + Clip() + "\"", ProfileRoot("end", ""));
  HWND window = mova.WaitForMain(ClipTitle);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SizeIs(window, 352, 253); }));
  MoveToCorner(window);
  // The three-second clip ends: the marker at the right, the bar's " STOP ".
  ASSERT_TRUE(WaitFor([&] {
    const Snapshot shot = ClientPixels(window);
    return StateTextPixels(shot) > 0 && MarkerCentre(shot) > 340;
  }, 8s)) << "the clip did not end";
  // That it stays at the end shows only over time.
  std::this_thread::sleep_for(500ms);
  EXPECT_GT(MarkerCentre(ClientPixels(window)), 340) << "it went on after the end";
  // Repeat on, play: after the end it starts again from the left.
  PressKey(window, 'R');
  PressKey(window, VK_SPACE);
  ASSERT_TRUE(WaitFor([&] { return MarkerCentre(ClientPixels(window)) > 200; }, 5s)) << "it did not play again";
  EXPECT_TRUE(WaitFor([&] { return MarkerCentre(ClientPixels(window)) < 100; }, 5s)) << "repeat did not restart it";
  EXPECT_TRUE(mova.Running());
}

BOOL CALLBACK TakeEdit(HWND child, LPARAM found) {
  char className[32] = {};
  GetClassNameA(child, className, sizeof className);
  if (std::string(className) != "Edit") return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// The first edit box among a dialog's controls: the save dialog's name box.
HWND FirstEdit(HWND dialog) {
  HWND edit = nullptr;
  EnumChildWindows(dialog, TakeEdit, reinterpret_cast<LPARAM>(&edit));
  return edit;
}

// The mean difference of two RGB pictures of the same size, per byte.
double MeanDifference(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return 255;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]));
  return sum / static_cast<double>(a.size());
}

TEST(WindowsEndToEnd, ACaptureWritesTheFrameAtThePausedPositionAtItsNativeSize) {
  const std::string target = std::string(MOVA_TEST_MEDIA_DIR) + "/win-capture.bmp";
  std::filesystem::remove(target);
  MovaProcess mova("\"" + Clip() + "\"", ProfileRoot("capture", "C ScreenCapture\r\nEsc Stop\r\nRight SeekForward\r\n"));
  HWND window = mova.WaitForMain(ClipTitle);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SizeIs(window, 352, 253); }));
  MoveToCorner(window);
  PressKey(window, VK_ESCAPE);  // stopped at 0
  PressKey(window, VK_RIGHT);   // one second on
  // Stopped with the marker a third of the way: at one second of three.
  ASSERT_TRUE(WaitFor([&] {
    const Snapshot shot = ClientPixels(window);
    return StateTextPixels(shot) > 0 && MarkerCentre(shot) > 90 && MarkerCentre(shot) < 150;
  })) << "not stopped at one second";
  PressKey(window, 'C');
  HWND dialog = mova.WaitForWindow("#32770", [](const std::string& title) { return title == "Save As"; }, 20s);
  ASSERT_NE(dialog, nullptr) << "no save dialog; the windows: " << mova.DescribeWindows();
  // The name goes into the dialog's name box, then OK.
  HWND nameBox = FirstEdit(dialog);
  ASSERT_NE(nameBox, nullptr);
  const std::string name = WindowsPath(target);
  SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  const uint32_t expectedSize = 54 + 352 * 3 * 240;
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(target) && std::filesystem::file_size(target) == expectedSize; }, 10s))
      << "no capture of " << expectedSize << " bytes at " << target;
  const std::string bitmap = ReadFile(target);
  ASSERT_EQ(bitmap.substr(0, 2), "BM");
  // The rows, bottom-up BGR, as top-down RGB.
  std::string pixels(352 * 240 * 3, '\0');
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 352; ++x)
      for (int c = 0; c < 3; ++c)
        pixels[(y * 352 + x) * 3 + c] = bitmap[54 + (239 - y) * 352 * 3 + x * 3 + (2 - c)];
  const double atOne = MeanDifference(pixels, ReadFile(BuiltMedia("clip-1s.rgb")));
  const double atZero = MeanDifference(pixels, ReadFile(BuiltMedia("clip-0s.rgb")));
  EXPECT_LT(atOne, 6) << "not the picture at 1 s";
  EXPECT_LT(atOne * 2, atZero) << "closer to the picture at 0 s (" << atZero << ") than to the one at 1 s";
  EXPECT_TRUE(mova.Running());
  EXPECT_EQ(mova.WaitForWindow("#32770", [](const std::string& title) { return title == "Mova"; }, 300ms), nullptr)
      << "a message box came up";
  std::filesystem::remove(target);
}

}  // namespace
}  // namespace mova::test
