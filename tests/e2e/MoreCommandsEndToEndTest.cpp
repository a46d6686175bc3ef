// The commands added to the original table, from their default keys, in the
// real player: the folder's next and previous file, a 10 s seek, a frame
// step, the speed, subtitles on and off, a PNG capture.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

#include "e2e/ChildProcess.h"
#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"
#include "support/WaitFor.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A 30 s clip of 320x240 with sound; `look` is ffmpeg's source of the picture.
std::string LongClip(const std::string& name, const std::string& look = "testsrc=size=320x240:rate=25") {
  return GeneratedMedia(name, "ffmpeg -v error -y -f lavfi -i " + look + ":duration=30 -f lavfi -i sine=d=30 "
                              "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -f mp4 {OUT}");
}

std::string OpenWindow(Player& mova, const std::string& title) {
  const auto found = mova.WaitForWindows(title, 1);
  if (found.size() != 1) return "";
  if (!WaitFor([&] { return Size(found[0]) == std::make_pair(320, 253); })) return "";
  MoveToCorner(found[0], 320, 253);
  return found[0];
}

// Bright pixels of the lower part of the picture, where subtitles are.
int BrightBelow(const Snapshot& shot) {
  int bright = 0;
  for (int y = 160; y < 240 && y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x) {
      const Pixel p = shot.At(x, y);
      bright += p.R > 200 && p.G > 200 && p.B > 200;
    }
  return bright;
}

TEST(EndToEndMoreCommands, PageKeysOpenTheFolderNeighboursInTheirNaturalOrder) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = GeneratedMedia(
      "more-short.mp4", "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=5 "
                        "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -f mp4 {OUT}");
  ASSERT_FALSE(clip.empty());
  const fs::path folder = fs::path(TestMediaDir()) / ("folder-" + UniqueToken());
  fs::create_directories(folder);
  for (const char* name : {"ep1.mp4", "ep2.mp4", "ep10.mp4"}) fs::copy_file(clip, folder / name);
  std::ofstream(folder / "ep3.txt") << "not a clip";
  Player mova({(folder / "ep2.mp4").string()}, {{"QADLPROF", ProfileRoot("folder")}});
  const std::string window = OpenWindow(mova, "^ep2\\.mp4 ");
  ASSERT_FALSE(window.empty());
  Key(window, "Next");
  EXPECT_FALSE(mova.WaitForWindows("^ep10\\.mp4 ", 1, 10s).empty()) << "PgDn did not open ep10 after ep2";
  Key(window, "Next");
  std::this_thread::sleep_for(800ms);  // about the time a file takes to open
  EXPECT_FALSE(Windows(mova->Pid(), "^ep10\\.mp4 ").empty()) << "past the last file nothing opens";
  Key(window, "Prior");
  Key(window, "Prior");
  EXPECT_FALSE(mova.WaitForWindows("^ep1\\.mp4 ", 1, 10s).empty()) << "PgUp twice did not reach ep1";
  fs::remove_all(folder);
}

TEST(EndToEndMoreCommands, ATenSecondSeekMovesTheMarkerAThirdOfA30SecondClip) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = LongClip("more-30s.mp4");
  ASSERT_FALSE(clip.empty());
  Player mova({clip}, {{"QADLPROF", ProfileRoot("seek10")}});
  const std::string window = OpenWindow(mova, "^more-30s\\.mp4 ");
  ASSERT_FALSE(window.empty());
  Key(window, "space");
  double before = -1;
  ASSERT_TRUE(WaitFor([&] {
    const Snapshot shot = Capture(window);
    return StateTextPixels(shot) > 0 && (before = MarkerCentre(shot)) >= 0;
  })) << "not paused";
  Key(window, "ctrl+Right");
  double after = -1;
  EXPECT_TRUE(WaitFor([&] { return (after = MarkerCentre(Capture(window))) > before + 90; }))
      << before << " to " << after;
  EXPECT_NEAR(after - before, 320.0 / 3, 8.0);
}

TEST(EndToEndMoreCommands, AFrameStepWhilePausedShowsTheNextPicture) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = LongClip("more-30s.mp4");
  ASSERT_FALSE(clip.empty());
  Player mova({clip}, {{"QADLPROF", ProfileRoot("step")}});
  const std::string window = OpenWindow(mova, "^more-30s\\.mp4 ");
  ASSERT_FALSE(window.empty());
  Key(window, "space");
  Snapshot paused;
  ASSERT_TRUE(WaitFor([&] { return StateTextPixels(paused = Capture(window)) > 0; }));
  std::this_thread::sleep_for(300ms);  // about the time the last picture takes to show
  paused = Capture(window);
  Key(window, "period");
  Snapshot stepped;
  // testsrc's colour ramp moves with every picture.
  EXPECT_TRUE(WaitFor([&] {
    stepped = Capture(window);
    return stepped.Width == 320 && stepped.Data.substr(0, 240 * 320 * 3) != paused.Data.substr(0, 240 * 320 * 3);
  })) << "the picture stayed";
  EXPECT_GT(StateTextPixels(stepped), 0) << "no longer paused";
}

TEST(EndToEndMoreCommands, FasterPlaybackMovesTheMarkerFasterThanTheClock) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = LongClip("more-30s.mp4");
  ASSERT_FALSE(clip.empty());
  Player mova({clip}, {{"QADLPROF", ProfileRoot("speed")}});
  const std::string window = OpenWindow(mova, "^more-30s\\.mp4 ");
  ASSERT_FALSE(window.empty());
  for (int i = 0; i < 4; ++i) Key(window, "bracketright");  // 1.25, 1.5, 2, 3 times
  std::this_thread::sleep_for(300ms);
  const double before = MarkerCentre(Capture(window));
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(2s);
  const double after = MarkerCentre(Capture(window));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // 320 pixels for 30 s: 10.7 pixels a second at normal speed.
  EXPECT_GT((after - before) / seconds, 2.2 * 320 / 30) << before << " to " << after << " in " << seconds << " s";
}

TEST(EndToEndMoreCommands, TheSubtitlesKeyHidesTheFilesTextAndShowsItAgain) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = LongClip("more-dark.mp4", "color=c=0x202020:size=320x240:rate=25");
  ASSERT_FALSE(clip.empty());
  const std::string subtitles = clip.substr(0, clip.size() - 4) + ".srt";
  std::ofstream(subtitles) << "1\n00:00:00,000 --> 00:00:30,000\nMOVA SUBTITLE TEST\n";
  Player mova({clip}, {{"QADLPROF", ProfileRoot("subtitles")}});
  const std::string window = OpenWindow(mova, "^more-dark\\.mp4 ");
  ASSERT_FALSE(window.empty());
  int shown = 0;
  ASSERT_TRUE(WaitFor([&] { return (shown = BrightBelow(Capture(window))) > 100; })) << "no subtitle drawn";
  Key(window, "s");
  EXPECT_TRUE(WaitFor([&] { return BrightBelow(Capture(window)) < 10; })) << "still drawn";
  Key(window, "s");
  EXPECT_TRUE(WaitFor([&] { return BrightBelow(Capture(window)) > shown / 2; })) << "not drawn again";
}

TEST(EndToEndMoreCommands, ACaptureNamedPngIsAPngOfThePicturesSize) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  const std::string name = "zq capture " + std::to_string(::getpid()) + ".png";
  const std::string target = (fs::current_path() / name).string();
  fs::remove(target);
  Player mova({clip}, {{"QADLPROF", ProfileRoot("png", "C ScreenCapture\n")}});
  const auto found = mova.WaitForWindows("e2e-clip-320x240.avi .* 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  Key(found[0], "c");
  const auto dialogs = mova.WaitForWindows("^Save As$", 1, 10s);
  ASSERT_EQ(dialogs.size(), 1u);
  const auto written = [&] { return fs::exists(target) && fs::file_size(target) > 100; };
  for (int attempt = 0; attempt < 3 && !written() && !Windows(mova->Pid(), "^Save As$").empty(); ++attempt) {
    Key(dialogs[0], "ctrl+a");
    Shell("xdotool type --window " + dialogs[0] + " \"" + name + "\"");
    Key(dialogs[0], "Return");
    WaitFor(written, 3000ms);
  }
  ASSERT_TRUE(written()) << "no capture at " << target;
  std::ifstream file(target, std::ios::binary);
  unsigned char header[24] = {};
  file.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(header) + 1, 3), "PNG");
  EXPECT_EQ(header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19], 320);  // IHDR width
  EXPECT_EQ(header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23], 240);  // and height
  fs::remove(target);
}

}  // namespace
}  // namespace mova::test
