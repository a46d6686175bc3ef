// The engine on real GStreamer graphs, with media the tests make.
#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "platform/qt/QtHandles.h"
#include "platform/qt/QtTimerService.h"
#include "player/VideoPlayer.h"
#include "player_gst/GstTestSupport.h"
#include "support/HostSystem.h"
#include "support/FakeMedia.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

class GstPlayerTest : public ::testing::Test {
 protected:
  GstPlayerTest() {
    Owner.resize(320, 253);
    Player.OwnerWindow = HandleFromWidget(&Owner);
    // As the main window does: each tick refreshes the status, which reads the position.
    Player.OnProgress = [this] {
      ++Progress;
      Player.GetPosition();
    };
    Player.OnEndReached = [this] {
      if (Ends++ == 0) EndTime = Clock::now();
    };
  }

  ~GstPlayerTest() override {
    Player.Pause();
    Player.Close();
  }

  QWidget Owner;
  TQtTimerService Timers;
  TVideoPlayer Player{Platform(), Timers, test::HostSystem()};
  int Progress = 0;
  int Ends = 0;
  Clock::time_point EndTime;
};

std::string FormatName(const ::testing::TestParamInfo<TClip (*)()>& info) {
  static const char* const names[] = {"Avi", "Mpeg", "Mp4", "Webm", "Wav", "Mp3", "MultiStreamMkv"};
  return names[info.index];
}

class GstPlayerFormatTest : public GstPlayerTest, public ::testing::WithParamInterface<TClip (*)()> {};

TEST_P(GstPlayerFormatTest, OpensWithTheFactsOfTheFileAndPlays) {
  const TClip clip = GetParam()();
  ASSERT_FALSE(clip.Path.empty()) << "could not make the " << clip.Name << " clip";
  Player.Open(clip.Path);
  ASSERT_TRUE(Player.Opened) << clip.Name;
  EXPECT_EQ(Player.State, PlayerState::Stopped);
  EXPECT_EQ(Player.VideoWidth, clip.Width);
  EXPECT_EQ(Player.VideoHeight, clip.Height);
  EXPECT_NEAR(Player.FrameRate, clip.FrameRate, 0.01);
  EXPECT_NEAR(Player.DurationMs, clip.DurationMs, 150);
  EXPECT_EQ(Player.DurationMs, Player.Duration / 10000);
  const bool decoderListed = std::any_of(Player.FilterNames.begin(), Player.FilterNames.end(), [&](const std::string& name) {
    return name.find(clip.DecoderHint) != std::string::npos;
  });
  EXPECT_TRUE(decoderListed) << Joined(Player.FilterNames);
  EXPECT_EQ(Player.FilterCount, static_cast<int32_t>(Player.FilterNames.size()));
  // The video window is a child of the main window exactly when there is a picture.
  EXPECT_EQ(Owner.findChildren<QWidget*>().size(), clip.HasVideo ? 1 : 0);

  Player.SetVolume(-10000);
  Player.Play();
  EXPECT_EQ(Player.State, PlayerState::Playing);
  ASSERT_TRUE(WaitUntil([&] { return Player.GetPosition() >= 300 && Progress > 0; }, 5s))
      << "position stays at " << Player.GetPosition() << " after " << Progress << " ticks";
  EXPECT_LT(Player.GetPosition(), clip.DurationMs);
}

INSTANTIATE_TEST_SUITE_P(Formats, GstPlayerFormatTest,
                         ::testing::Values(&AviClip, &MpegClip, &Mp4Clip, &WebmClip, &WavClip, &Mp3Clip,
                                           &MultiStreamMkvClip),
                         FormatName);

class GstPlayerEndTest : public GstPlayerTest, public ::testing::WithParamInterface<TClip (*)()> {};

TEST_P(GstPlayerEndTest, TheEndIsNoticedOnTimeAndPlayStartsAgainFromZero) {
  const TClip clip = GetParam()();
  ASSERT_FALSE(clip.Path.empty());
  Player.Open(clip.Path);
  ASSERT_TRUE(Player.Opened);
  Player.SetVolume(-10000);
  const Clock::time_point start = Clock::now();
  Player.Play();
  ASSERT_TRUE(WaitUntil([&] { return Ends > 0; }, 6s)) << "no end after 6 s";
  const auto late = std::chrono::duration_cast<std::chrono::milliseconds>(EndTime - start) -
                    std::chrono::milliseconds(Player.DurationMs);
  EXPECT_GT(late.count(), -300) << "ended early";
  EXPECT_LT(late.count(), 300) << "ended late";
  EXPECT_EQ(Player.State, PlayerState::Stopped);
  EXPECT_EQ(Player.GetPosition(), Player.DurationMs);
  EXPECT_NEAR(Player.DurationMs, clip.DurationMs, 150) << "the length at the end";

  Player.Play();
  EXPECT_EQ(Player.State, PlayerState::Playing);
  EXPECT_LT(Player.GetPosition(), 300);
  const int endsBefore = Ends;
  Spin(300ms);
  EXPECT_EQ(Ends, endsBefore) << "still at the end after playing again";
}

std::string EndClipName(const ::testing::TestParamInfo<TClip (*)()>& info) {
  static const char* const names[] = {"Avi", "Wav", "MultiStreamMkv", "RawH264", "RawMjpeg", "UnindexedMkv"};
  return names[info.index];
}

// The last three have no length, or a wrong one, when they are opened: they
// play to their real end all the same.
INSTANTIATE_TEST_SUITE_P(Clips, GstPlayerEndTest,
                         ::testing::Values(&ShortAviClip, &ShortWavClip, &MultiStreamMkvClip, &RawH264Clip,
                                           &RawMjpegClip, &UnindexedMkvClip),
                         EndClipName);

TEST_F(GstPlayerTest, TheEndIsNoticedWithoutAPlaybackTimer) {
  FakeTimerService noTimers;
  noTimers.FailStart = true;
  TVideoPlayer player(Platform(), noTimers, test::HostSystem());
  player.OnEndReached = [this] { ++Ends; };
  player.Open(ShortWavClip().Path);
  ASSERT_TRUE(player.Opened);
  player.Play();
  ASSERT_EQ(player.TimerId, 0u);
  EXPECT_TRUE(WaitUntil([&] { return Ends > 0; }, 5s));
  EXPECT_EQ(player.State, PlayerState::Stopped);
  EXPECT_EQ(Ends, 1);
}

TEST_F(GstPlayerTest, SeekLandsWithinAFrameOnAnIntraOnlyFile) {
  Player.Open(AviClip().Path);
  ASSERT_TRUE(Player.Opened);
  Player.Pause();
  Player.Seek(1234);
  EXPECT_EQ(Player.GetPosition(), 1234) << "a cued seek reads back at once";
  Spin(400ms);
  EXPECT_NEAR(Player.GetPosition(), 1234, 40);
  EXPECT_EQ(Player.State, PlayerState::Paused);

  // Seeking while playing keeps playing from there.
  Player.Play();
  Player.Seek(500);
  Spin(300ms);
  const int32_t position = Player.GetPosition();
  EXPECT_GE(position, 500);
  EXPECT_LT(position, 1200);
  EXPECT_EQ(Player.State, PlayerState::Playing);
}

TEST_F(GstPlayerTest, CaptureSavesTheFrameAtThePausedPositionAtTheNativeSize) {
  Player.Open(AviClip().Path);
  ASSERT_TRUE(Player.Opened);
  Player.Pause();
  Player.Seek(1000);
  const std::string target = TestMediaDir() + "/player-capture.bmp";
  std::filesystem::remove(target);
  ASSERT_TRUE(Player.CaptureFrame(target));
  ASSERT_TRUE(std::filesystem::exists(target));
  // 160 x 120 at 24 bits: 54 header bytes and rows of 480 bytes.
  EXPECT_EQ(std::filesystem::file_size(target), 54u + 120u * 480u);
  EXPECT_EQ(Player.State, PlayerState::Paused) << "the playing graph is not touched";

  // An audio-only file has no frame to save.
  Player.Open(WavClip().Path);
  ASSERT_TRUE(Player.Opened);
  EXPECT_FALSE(Player.CaptureFrame(TestMediaDir() + "/player-capture-audio.bmp"));
  EXPECT_FALSE(std::filesystem::exists(TestMediaDir() + "/player-capture-audio.bmp"));
}

TEST_F(GstPlayerTest, SeekingPastTheEndStopsAtTheEnd) {
  Player.Open(AviClip().Path);
  ASSERT_TRUE(Player.Opened);
  Player.Play();
  Player.Seek(60000);
  EXPECT_EQ(Ends, 1);
  EXPECT_EQ(Player.State, PlayerState::Stopped);
  EXPECT_EQ(Player.GetPosition(), Player.DurationMs);
  // Negative seeks reach the graph, which takes them as 0.
  Player.Seek(-700);
  EXPECT_EQ(Player.GetPosition(), 0);
}

TEST_F(GstPlayerTest, StopReturnsToTheStartAndKeepsTheTimer) {
  Player.Open(AviClip().Path);
  ASSERT_TRUE(Player.Opened);
  Player.SetVolume(-10000);
  Player.Play();
  ASSERT_TRUE(WaitUntil([&] { return Player.GetPosition() >= 300; }, 5s));
  Player.Stop();
  EXPECT_EQ(Player.State, PlayerState::Stopped);
  EXPECT_EQ(Player.GetPosition(), 0);
  Spin(300ms);
  EXPECT_LT(Player.GetPosition(), 40) << "a stopped graph does not move";
  const int ticks = Progress;
  Spin(350ms);
  EXPECT_GT(Progress, ticks) << "the status keeps refreshing while stopped";

  Player.Pause();
  const int paused = Progress;
  Spin(250ms);
  EXPECT_EQ(Progress, paused);
}

TEST_F(GstPlayerTest, FilesThatCannotPlayDoNotOpenAndDoNotHang) {
  std::filesystem::create_directories(TestMediaDir() + "/engine-folder.avi");
  std::string noise(64 * 1024, '\0');
  uint32_t seed = 12345;
  for (char& byte : noise) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 16);
  }
  const std::string unknown = UnknownCodecAvi();
  ASSERT_FALSE(unknown.empty());
  const std::vector<std::string> paths = {
      unknown,
      WriteTestFile("engine-empty.avi", ""),
      TestMediaDir() + "/engine-folder.avi",
      TestMediaDir() + "/engine-missing.mp4",
      WriteTestFile("engine-noise.mpg", noise),
  };
  for (const std::string& path : paths) {
    // A good file first: a failed open must close it as well.
    Player.Open(AviClip().Path);
    ASSERT_TRUE(Player.Opened);
    const Clock::time_point start = Clock::now();
    Player.Open(path);
    EXPECT_FALSE(Player.Opened) << path;
    EXPECT_LT(Clock::now() - start, 6s) << path;
    EXPECT_TRUE(Owner.findChildren<QWidget*>().empty() || !Owner.findChildren<QWidget*>()[0]->isVisible()) << path;
  }
}

}  // namespace
}  // namespace mova::test
