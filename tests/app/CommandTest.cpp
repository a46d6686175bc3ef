// Command dispatch: every command id, the edges of the id ranges, and the
// status refresh that ends every command.
#include <tuple>

#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

class Commands : public MainWindowTest {
 protected:
  // Everything a command could change, to tell "did nothing" apart.
  auto Observable() {
    const auto& graph = media.Graphs.empty() ? FakeGraphState{} : media.Last();
    // Reading the position is the status refresh's own doing.
    std::vector<std::string> calls;
    for (const std::string& call : graph.Calls)
      if (call != "GetCurrentPosition") calls.push_back(call);
    return std::make_tuple(window->Zoom, window->Aspect, window->Mute, window->Repeat, window->FullScreen,
                           window->StayOnTop, Win().Text, Win().Bounds, calls, graph.SettingsShown,
                           windows.MessageBoxes.size(), windows.SaveDialogs.size(), Win().Destroyed);
  }
  size_t Refreshes() { return Win().Invalidated.size(); }
};

TEST_F(Commands, IdsWithoutAnEntryOnlyRefreshTheStatus) {
  media.Script.Filters = {{"decoder", true}};
  OpenVideo(320, 240, 60000);
  SetPositionMs(5000);
  for (CommandId id : {-1, 0, 99, 102, 105, 109, 122, 197, 200, 999, 2000, 3999, 4256, 65535}) {
    const auto before = Observable();
    const size_t refreshes = Refreshes();
    window->ExecuteCommand(id);
    EXPECT_EQ(Observable(), before) << "id " << id;
    EXPECT_EQ(Refreshes(), refreshes + 1) << "id " << id;
  }
}

TEST_F(Commands, TheZoomAndFilterRangesIncludeBothEnds) {
  media.Script.Filters = {{"source", true}, {"decoder", true}};
  OpenVideo(320, 240, 60000);
  // The window is sized to the picture at (id - 1000) percent.
  window->ExecuteCommand(1000);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 0, 13}));
  window->ExecuteCommand(1999);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 3196, 2397 + 13}));
  window->ExecuteCommand(CmdZoom150);
  EXPECT_EQ(window->Zoom, 150);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 480, 373}));
  window->ExecuteCommand(4000);
  window->ExecuteCommand(4255);  // past the names: no filter
  const auto& shown = media.Last().SettingsShown;
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "source " + std::to_string(handle));
  EXPECT_EQ(shown[1], " " + std::to_string(handle));
}

TEST_F(Commands, PausePlaysWhenStoppedAndTogglesOtherwise) {
  OpenVideo(320, 240, 3000);
  ASSERT_EQ(Player().State, PlayerState::Playing);
  window->ExecuteCommand(CmdPause);
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(window->StateText, " PAUSE ");
  window->ExecuteCommand(CmdPause);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  // At the end the player stops; the next Pause command starts over.
  SetPositionMs(3000);
  timers.Tick();
  ASSERT_EQ(Player().State, PlayerState::Stopped);
  window->ExecuteCommand(CmdPause);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  EXPECT_EQ(window->StateText, " ");
  window->ExecuteCommand(CmdStop);
  EXPECT_EQ(Player().State, PlayerState::Stopped);
  EXPECT_EQ(LastSeekMs(), 0);
  EXPECT_EQ(window->StateText, " STOP ");
}

TEST_F(Commands, SeekingStepsOneSecondFromThePositionAndPassesTargetsBelowZeroOn) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(5000);
  window->ExecuteCommand(CmdSeekForward);
  EXPECT_EQ(LastSeekMs(), 6000);
  window->ExecuteCommand(CmdSeekBack);
  EXPECT_EQ(LastSeekMs(), 5000);
  SetPositionMs(400);
  window->ExecuteCommand(CmdSeekBack);
  EXPECT_EQ(LastSeekMs(), -600);
}

TEST_F(Commands, MuteTogglesTheVolumeAndWithoutAFileOnlyTheFlag) {
  window->ExecuteCommand(CmdMute);
  EXPECT_TRUE(window->Mute);
  EXPECT_TRUE(media.Graphs.empty());
  EXPECT_EQ(window->StateText, " MUTE");
  OpenVideo(320, 240, 60000);
  EXPECT_EQ(media.Last().Volume, VolumeSilent);
  window->ExecuteCommand(CmdMute);
  EXPECT_FALSE(window->Mute);
  EXPECT_EQ(media.Last().Volume, VolumeFull);
  window->ExecuteCommand(CmdRepeat);
  EXPECT_TRUE(window->Repeat);
  EXPECT_EQ(window->StateText, " REPEAT ");
  window->ExecuteCommand(CmdRepeat);
  EXPECT_FALSE(window->Repeat);
}

TEST_F(Commands, AspectCommandsSetTheModeAndRefit) {
  OpenVideo(320, 240, 60000);
  const std::pair<CommandId, AspectMode> modes[] = {{CmdAspect169, AspectMode::Aspect169},
                                                    {CmdAspect43, AspectMode::Aspect43},
                                                    {CmdAspectOrg, AspectMode::AspectOrg},
                                                    {CmdAspectAuto, AspectMode::AspectAuto}};
  for (const auto& [id, mode] : modes) {
    window->ExecuteCommand(id);
    EXPECT_EQ(window->Aspect, mode) << id;
  }
  window->ExecuteCommand(CmdAspect169);
  // 16:9 at the picture's height is 427 wide: it is fitted into the 320-pixel window.
  EXPECT_EQ(media.Last().WindowWidth, 320);
  EXPECT_LT(media.Last().WindowHeight, 240);
  windows.MoveWindow(handle, 0, 0, 100, 100, true);
  window->ExecuteCommand(CmdSizeToVideo);
  EXPECT_EQ(window->ClientRect().Height(), window->DisplayHeight + StatusBarHeight);
}

TEST_F(Commands, WindowCommandsWorkWithoutAFile) {
  window->ExecuteCommand(CmdStayOnTop);
  EXPECT_TRUE(window->StayOnTop);
  EXPECT_TRUE(Win().Topmost);
  window->ExecuteCommand(CmdStayOnTop);
  EXPECT_FALSE(Win().Topmost);
  window->ExecuteCommand(CmdFullScreen);
  EXPECT_TRUE(window->FullScreen);
  EXPECT_EQ(Win().Bounds, (TRect{0, 0, windows.Screen.X, windows.Screen.Y}));
  window->ExecuteCommand(CmdFullScreen);
  EXPECT_FALSE(window->FullScreen);
  // Without a picture the zoom sizes the fallback width and the bar.
  window->ExecuteCommand(CmdZoom200);
  EXPECT_EQ(window->Zoom, 200);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 640, 13}));
}

TEST_F(Commands, ExitClosesTheWindowAndEndsTheLoop) {
  OpenVideo(320, 240, 60000);
  window->ExecuteCommand(CmdExit);
  EXPECT_TRUE(Win().Destroyed);
  EXPECT_FALSE(window->HasWindow());
  EXPECT_TRUE(windows.QuitPosted);
  EXPECT_EQ(windows.QuitCode, 0);
  EXPECT_FALSE(Player().Opened);
  // Commands after the window is gone do nothing visible and do not fail.
  window->ExecuteCommand(CmdZoom200);
  window->ExecuteCommand(CmdPause);
  EXPECT_TRUE(windows.MessageBoxes.empty());
}

}  // namespace
}  // namespace mova::test
