// The commands added to the original table: the sound level and mute, the
// longer seeks, frame steps, speed, tracks, the folder's files, PNG captures
// and where they sit in the menu.
#include <filesystem>
#include <fstream>

#include "app/FolderFiles.h"
#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"
#include "config/KeyNames.h"
#include "support/MemorySystem.h"

namespace mova::test {
namespace {

using MoreCommands = MainWindowTest;

TEST_F(MoreCommands, TheLevelStepsEvenlyBetweenSilenceAndFullAndMuteKeepsIt) {
  EXPECT_EQ(VolumeOfLevel(100), VolumeFull);
  EXPECT_EQ(VolumeOfLevel(0), VolumeSilent);
  EXPECT_EQ(VolumeOfLevel(50), -1806);  // 18 dB down at half way
  for (int32_t level = 5; level <= 100; level += 5) EXPECT_GT(VolumeOfLevel(level), VolumeOfLevel(level - 5));

  OpenVideo(320, 240, 60000);
  window->ExecuteCommand(CmdVolumeUp);
  EXPECT_EQ(window->Level, 100) << "full is the most";
  for (int i = 0; i < 3; ++i) window->ExecuteCommand(CmdVolumeDown);
  EXPECT_EQ(window->Level, 85);
  EXPECT_EQ(media.Last().Volume, VolumeOfLevel(85));
  EXPECT_NE(window->StateText.find("VOL 85%"), std::string::npos) << window->StateText;
  // The level shows for a moment only.
  timers.Tick();
  EXPECT_EQ(window->StateText.find("VOL"), std::string::npos) << window->StateText;

  window->ExecuteCommand(CmdMute);
  EXPECT_EQ(media.Last().Volume, VolumeSilent);
  window->ExecuteCommand(CmdMute);
  EXPECT_EQ(media.Last().Volume, VolumeOfLevel(85)) << "unmuting restores the level";
  window->ExecuteCommand(CmdMute);
  window->ExecuteCommand(CmdVolumeDown);
  EXPECT_FALSE(window->Mute) << "a step while muted unmutes";
  EXPECT_EQ(media.Last().Volume, VolumeOfLevel(80));
  // The next file plays at the level.
  OpenVideo(320, 240, 60000, "next.avi");
  EXPECT_EQ(media.Last().Volume, VolumeOfLevel(80));
  for (int i = 0; i < 30; ++i) window->ExecuteCommand(CmdVolumeDown);
  EXPECT_EQ(window->Level, 0);
  EXPECT_EQ(media.Last().Volume, VolumeSilent);
}

TEST_F(MoreCommands, LongerSeeksCarryTheirSecondsInTheirIds) {
  OpenVideo(320, 240, 600000);
  SetPositionMs(100000);
  window->ExecuteCommand(CmdSeekForward10);
  EXPECT_EQ(LastSeekMs(), 110000);
  window->ExecuteCommand(CmdSeekBack60);
  EXPECT_EQ(LastSeekMs(), 50000);
  window->ExecuteCommand(CmdSeekBack10);
  EXPECT_EQ(LastSeekMs(), 40000);
  window->ExecuteCommand(CmdSeekForward60);
  EXPECT_EQ(LastSeekMs(), 100000);
  window->ExecuteCommand(CmdSeekForwardBase + SeekCommandSeconds);
  EXPECT_EQ(LastSeekMs(), 600000) << "clamped to the length";
  const size_t seeks = media.Last().Seeks.size();
  window->ExecuteCommand(CmdSeekForwardBase);
  window->ExecuteCommand(CmdSeekBackBase + SeekCommandSeconds + 1);
  EXPECT_EQ(media.Last().Seeks.size(), seeks) << "outside the ranges nothing seeks";
}

TEST_F(MoreCommands, AFrameStepPausesAndMovesOnePictureEitherWay) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(2000);
  ASSERT_EQ(Player().State, PlayerState::Playing);
  window->ExecuteCommand(CmdFrameStep);
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(Player().GetPosition(), 2040);
  window->ExecuteCommand(CmdFrameBack);
  window->ExecuteCommand(CmdFrameBack);
  EXPECT_EQ(Player().GetPosition(), 1960);
  EXPECT_EQ(window->StateText, " PAUSE ");
  // Without a picture there is nothing to step: nothing changes.
  media.Script.HasVideo = false;
  OpenVideo(320, 240, 60000, "sound.wav");
  window->ExecuteCommand(CmdFrameStep);
  EXPECT_EQ(media.Last().Count("StepFrame"), 1);
}

TEST_F(MoreCommands, TheSpeedStepsBetweenAQuarterAndFourAndShowsWhileNotOne) {
  OpenVideo(320, 240, 60000);
  window->ExecuteCommand(CmdSpeedUp);
  EXPECT_DOUBLE_EQ(media.Last().Rate, 1.25);
  EXPECT_NE(window->StateText.find("1.25x"), std::string::npos) << window->StateText;
  for (int i = 0; i < 10; ++i) window->ExecuteCommand(CmdSpeedUp);
  EXPECT_DOUBLE_EQ(Player().Rate, 4.0);
  for (int i = 0; i < 20; ++i) window->ExecuteCommand(CmdSpeedDown);
  EXPECT_DOUBLE_EQ(Player().Rate, 0.25);
  EXPECT_DOUBLE_EQ(media.Last().Rate, 0.25);
  // The next file plays at the speed chosen; the reset ends it.
  OpenVideo(320, 240, 60000, "next.avi");
  EXPECT_DOUBLE_EQ(media.Last().Rate, 0.25);
  window->ExecuteCommand(CmdSpeedReset);
  EXPECT_DOUBLE_EQ(media.Last().Rate, 1.0);
  EXPECT_EQ(window->StateText, " ");
  // A graph that cannot change its rate keeps playing at 1.
  media.Last().RateResult = false;
  window->ExecuteCommand(CmdSpeedUp);
  EXPECT_DOUBLE_EQ(Player().Rate, 1.0);
}

TEST_F(MoreCommands, TracksAndSubtitlesReachTheGraph) {
  OpenVideo(320, 240, 60000);
  window->ExecuteCommand(CmdNextAudio);
  window->ExecuteCommand(CmdNextSubtitle);
  window->ExecuteCommand(CmdSubtitles);
  EXPECT_EQ(media.Last().Count("NextStream"), 2);
  EXPECT_FALSE(media.Last().SubtitlesVisible);
  // Hidden subtitles stay hidden in the next file.
  OpenVideo(320, 240, 60000, "next.avi");
  EXPECT_FALSE(media.Last().SubtitlesVisible);
  window->ExecuteCommand(CmdSubtitles);
  EXPECT_TRUE(media.Last().SubtitlesVisible);
}

TEST_F(MoreCommands, ASubtitleFileWithTheVideosNameGoesWithIt) {
  const std::string video = MediaFile("film.avi");
  const std::string subtitles = ::testing::TempDir() + "film.srt";
  std::ofstream(subtitles) << "1\n00:00:00,000 --> 00:00:01,000\nHello\n";
  window->OpenFile(video);
  EXPECT_EQ(media.Last().SubtitleFile, subtitles);
  // A file of that name that holds no subtitles is left alone, as is none.
  std::ofstream(subtitles) << "not subtitles";
  window->OpenFile(video);
  EXPECT_EQ(media.Last().SubtitleFile, "");
  std::filesystem::remove(subtitles);
  window->OpenFile(video);
  EXPECT_EQ(media.Last().SubtitleFile, "");
}

TEST(FolderFiles, NamesAreOrderedAsAFileManagerShowsThem) {
  const std::vector<std::pair<std::string, std::string>> before = {
      {"ep2.mkv", "ep10.mkv"}, {"Ep1.mkv", "ep2.mkv"}, {"a.avi", "B.avi"}, {"ep02.mkv", "ep3.mkv"},
      {"x9y", "x10"},          {"film", "film 2"},    {"ep2.mkv", "ep2b.mkv"}};
  for (const auto& [first, second] : before) {
    EXPECT_TRUE(NaturalLess(first, second)) << first << " before " << second;
    EXPECT_FALSE(NaturalLess(second, first)) << first << " before " << second;
  }
  EXPECT_FALSE(NaturalLess("ep2.mkv", "ep2.mkv"));
  EXPECT_TRUE(NaturalLess("EP2.mkv", "ep2.mkv") != NaturalLess("ep2.mkv", "EP2.mkv")) << "a total order";
  EXPECT_TRUE(IsPlayableName("clip.MKV"));
  EXPECT_FALSE(IsPlayableName("notes.txt"));
  EXPECT_FALSE(IsPlayableName("mkv"));
}

TEST(FolderFiles, TheNeighboursAreThePlayableFilesAroundItAndNothingPastTheEnds) {
  TMemorySystem system;
  for (const char* name : {"/v/ep10.mp4", "/v/ep2.mp4", "/v/ep1.mp4", "/v/notes.txt", "/v/sub/ep3.mp4"})
    system.Files[name] = "x";
  EXPECT_EQ(NeighbourFile(system, "/v/ep1.mp4", 1), "/v/ep2.mp4");
  EXPECT_EQ(NeighbourFile(system, "/v/ep2.mp4", 1), "/v/ep10.mp4");
  EXPECT_EQ(NeighbourFile(system, "/v/ep10.mp4", 1), std::nullopt);
  EXPECT_EQ(NeighbourFile(system, "/v/ep10.mp4", -1), "/v/ep2.mp4");
  EXPECT_EQ(NeighbourFile(system, "/v/ep1.mp4", -1), std::nullopt);
  // A file that has gone still has its place.
  EXPECT_EQ(NeighbourFile(system, "/v/ep5.mp4", 1), "/v/ep10.mp4");
  EXPECT_EQ(NeighbourFile(system, "/missing/ep1.mp4", 1), std::nullopt);
}

TEST_F(MoreCommands, PngCapturesAreEncodedByThePlatformAndFailuresSaySo) {
  OpenVideo(320, 240, 60000);
  const std::string target = ::testing::TempDir() + "frame.PNG";
  std::filesystem::remove(target);
  windows.OnSaveDialog = [&](const TSaveFileDialog&) -> std::optional<std::string> { return target; };
  window->ExecuteCommand(CmdScreenCapture);
  std::ifstream written(target, std::ios::binary);
  std::string head;
  std::getline(written, head);
  EXPECT_EQ(head, "PNG 320x240");
  EXPECT_TRUE(windows.MessageBoxes.empty());
  media.PngResult = false;
  window->ExecuteCommand(CmdScreenCapture);
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  EXPECT_EQ(windows.MessageBoxes[0].Text, target + ": Cannot write.");
}

TEST_F(MoreCommands, TheMenuEndsWithTheAddedCommandsAndTheirKeys) {
  program.Keys = std::make_unique<TKeyTable>(CommandTable, AllDefaultBindings, HostSystem(),
                                             ::testing::TempDir() + "no-such-keymap");
  TPopupMenu popup;
  window->BuildContextMenu(popup);
  const auto& items = popup.Items();
  ASSERT_EQ(items.size(), 28u);
  EXPECT_EQ(items[25].Id, CmdExit);
  EXPECT_EQ(items[26].Type, TMenuItem::Kind::Separator);
  ASSERT_EQ(items[27].Type, TMenuItem::Kind::Submenu);
  EXPECT_EQ(items[27].Text, MoreMenuCaption);
  const auto& more = items[27].Submenu->Items();
  ASSERT_EQ(more.size(), MoreMenuLayout.size());
  EXPECT_EQ(more[0].Text, "&Volume Up\tUp");
  EXPECT_EQ(more[3].Text, "Forward 10 Seconds\tCtrl+Right");
  EXPECT_EQ(more[7].Text, "Next &Frame\t.");
  EXPECT_EQ(more[18].Text, "Pre&vious File in Folder\tPgUp");
  // The punctuation keys have names of their own.
  EXPECT_EQ(ParseKeyText(".").Code, 0xBE);
  EXPECT_EQ(ParseKeyText("C-[").Code, 0xDB);
}

}  // namespace
}  // namespace mova::test
