// Files as people have them, made by ffmpeg, in the real player: a phone's
// turned clip upright, anamorphic pictures at their display size, an MP3's
// cover, a transport stream whose clock starts late, an MP4's formats.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>

#include "e2e/ChildProcess.h"
#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"
#include "support/WaitFor.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

constexpr Pixel Red{255, 0, 0};
constexpr Pixel Blue{0, 0, 255};
constexpr Pixel Lime{0, 255, 0};

bool Near(const Pixel& pixel, const Pixel& colour) {
  auto close = [](int a, int b) { return a - b < 48 && b - a < 48; };
  return close(pixel.R, colour.R) && close(pixel.G, colour.G) && close(pixel.B, colour.B);
}

// Plays `media` and waits for its window, titled `title` (a pattern), at
// width x height (the picture and the bar), moved where nothing covers it.
std::string Open(Player& mova, const std::string& title, int width, int height) {
  const auto found = mova.WaitForWindows(title, 1);
  if (found.size() != 1) return "";
  EXPECT_TRUE(WaitFor([&] { return Size(found[0]) == std::make_pair(width, height); }))
      << "the window is " << Size(found[0]).first << "x" << Size(found[0]).second;
  MoveToCorner(found[0], width, height);
  return found[0];
}

TEST(EverydayFiles, APhoneClipIsShownTurnedAsItsTagSays) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  // Stored 200x100, red on the left and blue on the right.
  const std::string stored = GeneratedMedia(
      "everyday-stored.mp4",
      "ffmpeg -v error -y -filter_complex 'color=c=red:s=100x100:r=25:d=2[a];color=c=blue:s=100x100:r=25:d=2[b];"
      "[a][b]hstack' -c:v libx264 -pix_fmt yuv420p -f mp4 {OUT}");
  ASSERT_FALSE(stored.empty());
  struct Turn {
    int Degrees;
    int Width, Height;
    std::pair<int, int> BlueAt, RedAt;  // as ffmpeg and mpv show it
  };
  for (const Turn& turn : {Turn{90, 100, 200, {50, 40}, {50, 160}}, Turn{180, 200, 100, {40, 50}, {160, 50}},
                           Turn{270, 100, 200, {50, 160}, {50, 40}}}) {
    SCOPED_TRACE(turn.Degrees);
    const std::string name = "everyday-rotate-" + std::to_string(turn.Degrees) + ".mp4";
    const std::string clip = GeneratedMedia(name, "ffmpeg -v error -y -i " + stored + " -c copy -metadata:s:v:0 "
                                                  "rotate=" + std::to_string(turn.Degrees) + " -f mp4 {OUT}");
    ASSERT_FALSE(clip.empty());
    Player mova({clip}, {{"QADLPROF", ProfileRoot("rotate")}});
    const std::string size = std::to_string(turn.Width) + "x" + std::to_string(turn.Height);
    const std::string window = Open(mova, name + " \\(" + size + " 25.000fps\\) 100% - Mova", turn.Width,
                                    turn.Height + 13);
    ASSERT_FALSE(window.empty()) << "no window titled with the size " << size;
    Snapshot shot;
    EXPECT_TRUE(WaitFor([&] {
      shot = Capture(window);
      return shot.Width == turn.Width && Near(shot.At(turn.BlueAt.first, turn.BlueAt.second), Blue) &&
             Near(shot.At(turn.RedAt.first, turn.RedAt.second), Red);
    })) << "the picture is not turned";
    // Zoom follows the size as shown.
    Key(window, "2");
    EXPECT_TRUE(WaitFor([&] { return Size(window) == std::make_pair(turn.Width * 2, turn.Height * 2 + 13); }));
  }
}

TEST(EverydayFiles, AnamorphicPicturesFitAtTheirDisplaySize) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string mkv = GeneratedMedia(
      "everyday-sar-16-11.mkv", "ffmpeg -v error -y -f lavfi -i testsrc=size=352x288:rate=25:duration=2 "
                                "-vf setsar=16/11 -c:v libx264 -preset ultrafast -pix_fmt yuv420p {OUT}");
  ASSERT_FALSE(mkv.empty());
  Player mova({mkv}, {{"QADLPROF", ProfileRoot("sar")}});
  // The title gives the stored size; the window the shown one, 352 * 16 / 11.
  EXPECT_FALSE(Open(mova, "everyday-sar-16-11.mkv \\(352x288 25.000fps\\) 100% - Mova", 512, 301).empty());
}

TEST(EverydayFiles, AnMp3sCoverIsShownWhileTheSoundPlays) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string mp3 = GeneratedMedia(
      "everyday-cover.mp3",
      "ffmpeg -v error -y -f lavfi -i color=c=lime:s=120x90 -frames:v 1 -f image2 -c:v mjpeg {OUT}.jpg && "
      "ffmpeg -v error -y -f lavfi -i sine=d=3 -i {OUT}.jpg -map 0 -map 1 -c:a libmp3lame -c:v copy "
      "-id3v2_version 3 -metadata:s:v comment='Cover (front)' -f mp3 {OUT}; rm -f {OUT}.jpg");
  ASSERT_FALSE(mp3.empty());
  Player mova({mp3}, {{"QADLPROF", ProfileRoot("cover")}});
  const std::string window = Open(mova, "everyday-cover.mp3 \\(120x90 0.000fps\\) 100% - Mova", 120, 103);
  ASSERT_FALSE(window.empty());
  Snapshot shot;
  EXPECT_TRUE(WaitFor([&] {
    shot = Capture(window);
    return shot.Width == 120 && Near(shot.At(60, 45), Lime) && Near(shot.At(2, 2), Lime);
  })) << "no cover";
  // It plays: the marker moves.
  const double before = MarkerCentre(shot);
  EXPECT_TRUE(WaitFor([&] { return MarkerCentre(Capture(window)) > before + 20; }, 3000ms));
}

TEST(EverydayFiles, ATransportStreamWhoseClockStartsLatePlaysToItsLastPicture) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  // Red, lime, then blue for a second each; the muxer's clock starts at 1.4 s.
  const std::string size = ":s=320x240:r=25:d=1";
  const std::string ts = GeneratedMedia(
      "everyday-late.ts", "ffmpeg -v error -y -filter_complex 'color=c=red" + size + "[a];color=c=lime" + size +
                              "[b];color=c=blue" + size + "[c];[a][b][c]concat=n=3:v=1:a=0[v]' -f lavfi -i sine=d=3 "
                              "-map '[v]' -map 0:a -c:v mpeg2video -c:a mp2 -f mpegts {OUT}");
  ASSERT_FALSE(ts.empty());
  Player mova({ts}, {{"QADLPROF", ProfileRoot("late-ts")}});
  const auto start = std::chrono::steady_clock::now();
  const std::string window = Open(mova, "everyday-late.ts \\(320x240 25.000fps\\) 100% - Mova", 320, 253);
  ASSERT_FALSE(window.empty());
  Snapshot shot;
  const bool stopped = WaitFor([&] { return StateTextPixels(shot = Capture(window)) > 0; }, 10s);
  const auto played = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  ASSERT_TRUE(stopped);
  EXPECT_GT(played.count(), 2800) << "stopped early";
  EXPECT_TRUE(Near(shot.At(160, 120), Blue)) << "not on the last picture";
  EXPECT_GT(MarkerCentre(shot), 315) << "the end is at the right";
}

TEST(EverydayFiles, AnMp4sStatusBarNamesItsFormats) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string mp4 = GeneratedMedia(
      "everyday-formats.mp4", "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=3 "
                              "-f lavfi -i sine=d=3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p "
                              "-c:a aac -b:a 128k -ac 2 {OUT}");
  ASSERT_FALSE(mp4.empty());
  Player mova({mp4}, {{"QADLPROF", ProfileRoot("formats")}});
  const std::string window = Open(mova, "everyday-formats.mp4 \\(320x240 25.000fps\\) 100% - Mova", 320, 253);
  ASSERT_FALSE(window.empty());
  // The text ends at the right. "0kHz 0k  00:00:00 / 00:00:03" starts right
  // of x 140; "AAC 44kHz 128k st H264 00:00:00 / 00:00:03" near x 65.
  int first = -1;
  EXPECT_TRUE(WaitFor([&] {
    const Snapshot shot = Capture(window);
    if (shot.Width != 320) return false;
    first = -1;
    for (int x = 60; x < shot.Width && first < 0; ++x)
      for (int y = shot.Height - 12; y < shot.Height; ++y)
        if (shot.At(x, y) == Cyan) first = x;
    return first > 0 && first < 100;
  })) << "the text starts at " << first;
}

}  // namespace
}  // namespace mova::test
