#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

using MessageTable = MainWindowTest;

TEST_F(MessageTable, WheelAwayFromTheUserStepsBackAndTowardTheUserForward) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(5000);
  EXPECT_EQ(windows.Inject(handle, WM::MOUSEWHEEL, MakeParam(0, static_cast<uint16_t>(120))), 0);
  EXPECT_EQ(LastSeekMs(), 4000);
  SetPositionMs(5000);
  windows.Inject(handle, WM::MOUSEWHEEL, MakeParam(0, static_cast<uint16_t>(-120)));
  EXPECT_EQ(LastSeekMs(), 6000);
  // One second per message whatever the size of the turn.
  SetPositionMs(5000);
  windows.Inject(handle, WM::MOUSEWHEEL, MakeParam(0, static_cast<uint16_t>(-960)));
  EXPECT_EQ(LastSeekMs(), 6000);
  EXPECT_FALSE(Defaulted(WM::MOUSEWHEEL));
}

TEST_F(MessageTable, SeekingOneSecondOnAtTheTopOfTheMillisecondRangeDoesNotOverflow) {
  OpenVideo(320, 240, INT32_MAX);
  media.Last().Duration = (static_cast<int64_t>(INT32_MAX) + 5000) * 10000;
  Player().Duration = media.Last().Duration;
  SetPositionMs(INT32_MAX - 10);
  window->ExecuteCommand(CmdSeekForward);
  EXPECT_EQ(LastSeekMs(), INT32_MAX);
  SetPositionMs(INT32_MAX - 10);
  windows.Inject(handle, WM::MOUSEWHEEL, MakeParam(0, static_cast<uint16_t>(-120)));
  EXPECT_EQ(LastSeekMs(), INT32_MAX);
}

TEST_F(MessageTable, TheRegisteredWheelMessageCarriesTheTurnInTheWholeParameter) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(500);
  windows.Inject(handle, program.WheelMessage, 120);
  // Below 0 the target is passed on unchanged.
  EXPECT_EQ(media.Last().Seeks.back(), -500 * 10000);
  SetPositionMs(500);
  windows.Inject(handle, program.WheelMessage, 0);
  EXPECT_EQ(LastSeekMs(), 1500);
  EXPECT_FALSE(Defaulted(program.WheelMessage));
}

TEST_F(MessageTable, WithoutARegisteredWheelMessageNoMessageIsTakenForIt) {
  OpenVideo(320, 240, 60000);
  program.WheelMessage = 0;
  const size_t seeks = media.Last().Seeks.size();
  windows.Inject(handle, 0, 120);
  EXPECT_EQ(media.Last().Seeks.size(), seeks);
  EXPECT_TRUE(Defaulted(0));
}

TEST_F(MessageTable, CloseStopsThePlayerDestroysTheWindowAndEndsTheLoopWithZero) {
  OpenVideo(320, 240, 60000);
  ASSERT_EQ(timers.Running().size(), 1u);
  EXPECT_EQ(windows.Inject(handle, WM::CLOSE), 0);
  EXPECT_TRUE(timers.Running().empty());  // paused first: no tick reaches a closed window
  EXPECT_FALSE(Player().Opened);
  EXPECT_TRUE(media.Last().Destroyed);
  EXPECT_TRUE(Win().Destroyed);
  EXPECT_TRUE(windows.QuitPosted);
  EXPECT_EQ(windows.QuitCode, 0);
  EXPECT_FALSE(Defaulted(WM::CLOSE));
  EXPECT_FALSE(Defaulted(WM::DESTROY));
}

TEST_F(MessageTable, CloseWithNoFileOpenStillDestroysTheWindow) {
  window->ExecuteCommand(CmdExit);
  EXPECT_TRUE(Win().Destroyed);
  EXPECT_TRUE(windows.QuitPosted);
}

TEST_F(MessageTable, SizeQueryCapsTheTrackingSizeOnly) {
  EXPECT_EQ(windows.LastMinMax.MaxTrackSize, (TPoint{4096, 4096}));
  EXPECT_EQ(windows.LastMinMax.MinTrackSize, (TPoint{0, 0}));
  EXPECT_FALSE(Defaulted(WM::GETMINMAXINFO));
}

TEST_F(MessageTable, CommandsTakeTheLowHalfOfTheParameter) {
  EXPECT_EQ(windows.Inject(handle, WM::COMMAND, MakeParam(CmdMute, 1)), 0);
  EXPECT_TRUE(window->Mute);
  windows.Inject(handle, WM::COMMAND, MakeParam(CmdRepeat, 0));
  EXPECT_TRUE(window->Repeat);
  EXPECT_FALSE(Defaulted(WM::COMMAND));
}

TEST_F(MessageTable, MiddleReleaseStopsAndRefreshes) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(7000);
  windows.Inject(handle, WM::MBUTTONUP, 0, MakePointParam(10, 10));
  EXPECT_EQ(Player().State, PlayerState::Stopped);
  EXPECT_EQ(LastSeekMs(), 0);
  EXPECT_EQ(window->StateText, " STOP ");
  EXPECT_FALSE(Defaulted(WM::MBUTTONUP));
}

TEST_F(MessageTable, RightReleaseIsTheContextMenusAndNotDefaulted) {
  EXPECT_EQ(windows.Inject(handle, WM::RBUTTONUP, 0, MakePointParam(10, 10)), 0);
  EXPECT_FALSE(Defaulted(WM::RBUTTONUP));
}

TEST_F(MessageTable, ADropOpensOnlyTheFirstFileAndFreesTheDrop) {
  media.Script.Width = 160;
  media.Script.Height = 120;
  const std::string first = MediaFile("first.avi");
  const MessageParam drop = windows.Drop({first, MediaFile("second.avi"), MediaFile("third.avi")});
  EXPECT_EQ(windows.Inject(handle, WM::DROPFILES, drop), 0);
  ASSERT_EQ(media.Graphs.size(), 1u);
  EXPECT_EQ(media.Last().RenderedFile, first);
  EXPECT_EQ(windows.FinishedDrops.count(drop), 1u);
  EXPECT_EQ(Player().State, PlayerState::Playing);
}

TEST_F(MessageTable, OtherMessagesGetTheDefaultHandling) {
  windows.Inject(handle, WM::KEYDOWN, 0x41, 1);
  windows.Inject(handle, WM::RBUTTONDOWN, 0, 0);
  EXPECT_TRUE(Defaulted(WM::KEYDOWN));
  EXPECT_TRUE(Defaulted(WM::RBUTTONDOWN));
}

TEST_F(MessageTable, PaintDrawsTheBarAtTheBottomInOneCopy) {
  windows.PaintNow(handle);
  const auto& win = Win();
  EXPECT_EQ(win.Copies, 2);  // the paint of Show, then this one
  const int32_t top = 240 - StatusBarHeight;
  EXPECT_EQ(win.Surface->Pixel(100, top), StatusGray);
  EXPECT_EQ(win.Surface->Pixel(100, top + 5), StatusBlack);
  EXPECT_FALSE(Defaulted(WM::PAINT));
}

// --- Mouse in the picture and in the status bar ---

using MouseSeeking = MainWindowTest;

TEST_F(MouseSeeking, APressInThePicturePlaysPausesAndResumes) {
  OpenVideo(320, 240, 60000);  // the window is now 320 x 253
  const MessageParam inPicture = MakePointParam(100, 100);
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, inPicture);
  EXPECT_EQ(Player().State, PlayerState::Paused);
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, inPicture);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  Player().Stop();
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, inPicture);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  EXPECT_EQ(window->StateText, " ");
  EXPECT_EQ(windows.Capture, 0u);
}

TEST_F(MouseSeeking, ADoubleClickActsAsTwoPresses) {
  OpenVideo(320, 240, 60000);
  Player().Stop();
  const MessageParam inPicture = MakePointParam(100, 100);
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, inPicture);
  windows.Inject(handle, WM::LBUTTONUP, 0, inPicture);
  windows.Inject(handle, WM::LBUTTONDBLCLK, MK::LBUTTON, inPicture);
  EXPECT_EQ(Player().State, PlayerState::Paused);
}

TEST_F(MouseSeeking, DraggingInTheBarSeeksAndResumesOnlyWhatWasPlaying) {
  OpenVideo(320, 240, 60000);
  const int32_t barY = window->ClientRect().Bottom - 5;
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, MakePointParam(160, barY));
  EXPECT_EQ(windows.Capture, handle);
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(LastSeekMs(), 30000);
  EXPECT_EQ(window->StateBeforeDrag, PlayerState::Playing);

  // Moves seek to the pointer's position, not the message's.
  windows.Cursor = TPoint{80, 5};
  windows.Inject(handle, WM::MOUSEMOVE, MK::LBUTTON, MakePointParam(300, barY));
  EXPECT_EQ(LastSeekMs(), 15000);
  windows.Cursor = TPoint{-40, 5};
  windows.Inject(handle, WM::MOUSEMOVE, MK::LBUTTON, 0);
  EXPECT_EQ(media.Last().Seeks.back(), -7500LL * 10000);

  const size_t seeks = media.Last().Seeks.size();
  windows.Inject(handle, WM::LBUTTONUP, 0, MakePointParam(0, barY));
  EXPECT_EQ(windows.Capture, 0u);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  EXPECT_EQ(media.Last().Seeks.size(), seeks);  // the release does not seek
}

TEST_F(MouseSeeking, ADragStartedWhilePausedEndsPaused) {
  OpenVideo(320, 240, 60000);
  Player().Pause();
  const int32_t barY = window->ClientRect().Bottom - 1;
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, MakePointParam(10, barY));
  windows.Inject(handle, WM::LBUTTONUP, 0, MakePointParam(10, barY));
  EXPECT_EQ(Player().State, PlayerState::Paused);
}

TEST_F(MouseSeeking, MovesAndReleasesWithoutCaptureDoNothing) {
  OpenVideo(320, 240, 60000);
  const size_t seeks = media.Last().Seeks.size();
  windows.Cursor = TPoint{100, 5};
  EXPECT_EQ(windows.Inject(handle, WM::MOUSEMOVE, 0, MakePointParam(100, 5)), 0);
  EXPECT_EQ(windows.Inject(handle, WM::LBUTTONUP, 0, MakePointParam(100, 5)), 0);
  EXPECT_EQ(media.Last().Seeks.size(), seeks);
  EXPECT_EQ(windows.Count("ReleaseCapture"), 0);
  EXPECT_EQ(Player().State, PlayerState::Playing);
}

TEST_F(MouseSeeking, DraggingPastTheEndWithRepeatStartsOverWhileTheButtonIsHeld) {
  OpenVideo(320, 240, 60000);
  window->Repeat = true;
  const int32_t barY = window->ClientRect().Bottom - 5;
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, MakePointParam(10, barY));
  windows.Cursor = TPoint{400, 5};
  windows.Inject(handle, WM::MOUSEMOVE, MK::LBUTTON, 0);
  // The seek landed on the end; the end check stopped and the repeat restarted from 0.
  EXPECT_EQ(LastSeekMs(), 0);
  EXPECT_EQ(Player().State, PlayerState::Playing);
}

TEST(PositionUnder, IsTheFractionOfTheWidthTruncated) {
  EXPECT_EQ(PositionUnder(100, 320, 60000), 18750);
  EXPECT_EQ(PositionUnder(1, 320, 60000), 187);
  EXPECT_EQ(PositionUnder(0, 320, 60000), 0);
  EXPECT_EQ(PositionUnder(319, 320, 60000), 59812);
  EXPECT_EQ(PositionUnder(-1, 320, 60000), -187);  // toward zero
}

TEST(PositionUnder, ABarWithoutWidthHasNoPositionAndFarPointsStayInRange) {
  EXPECT_FALSE(PositionUnder(10, 0, 60000).has_value());
  EXPECT_FALSE(PositionUnder(10, -5, 60000).has_value());
  EXPECT_EQ(PositionUnder(30000, 1, 2000000000), INT32_MAX);
  EXPECT_EQ(PositionUnder(-30000, 1, 2000000000), INT32_MIN);
}

TEST_F(MouseSeeking, APressInTheBarOfAWindowWithoutWidthPausesWithoutSeeking) {
  OpenVideo(320, 240, 60000);
  windows.MoveWindow(handle, 0, 0, 0, 253, true);
  const size_t seeks = media.Last().Seeks.size();
  windows.Inject(handle, WM::LBUTTONDOWN, MK::LBUTTON, MakePointParam(0, 250));
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(media.Last().Seeks.size(), seeks);
}

// --- Opening files ---

using Opening = MainWindowTest;

TEST_F(Opening, APlayableFileSizesTheWindowSetsTheTitleAndPlays) {
  window->Aspect = AspectMode::Aspect169;
  OpenVideo(352, 240, 192000, "clip.avi");
  EXPECT_EQ(window->Aspect, AspectMode::AspectAuto);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 352, 253}));
  EXPECT_EQ(Win().Text, "clip.avi (352x240 25.000fps) 100% - Mova");
  EXPECT_EQ(media.Last().Volume, 0);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  EXPECT_EQ(media.Last().Left, 0);
  EXPECT_EQ(media.Last().WindowWidth, 352);
  EXPECT_EQ(media.Last().WindowHeight, 240);
  EXPECT_TRUE(windows.MessageBoxes.empty());
}

TEST_F(Opening, ASecondFileWhileMutedStartsMutedAndKeepsTheZoom) {
  window->ExecuteCommand(CmdMute);
  window->SetZoom(200);
  OpenVideo(160, 120, 5000, "a.avi");
  EXPECT_EQ(media.Last().Volume, VolumeSilent);
  EXPECT_EQ(window->Zoom, 200);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 320, 253}));
}

TEST_F(Opening, AFileThatCannotBePlayedIsReportedAndLeavesNothingOpen) {
  OpenVideo(320, 240, 60000, "good.avi");
  windows.MoveWindow(handle, 10, 10, 500, 400, true);
  const int32_t zoom = window->Zoom;
  media.Script.RenderResult = false;
  bool stillOpenDuringBox = true;
  windows.OnMessageBox = [&](const FakeWindowSystem::Box&) { stillOpenDuringBox = Player().Opened; };
  window->OpenFile(MediaFile("bad.bin"));

  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  const auto& box = windows.MessageBoxes[0];
  EXPECT_EQ(box.Text, MediaFile("bad.bin") + ": Cannot play.");
  EXPECT_EQ(box.Caption, "Mova");
  EXPECT_EQ(box.Style, MB::OK | MB::ICONEXCLAMATION);
  EXPECT_EQ(box.Owner, handle);
  EXPECT_FALSE(stillOpenDuringBox);
  EXPECT_FALSE(Player().Opened);
  EXPECT_EQ(Win().Text, "Mova");
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 500, 400}));
  EXPECT_EQ(window->Zoom, zoom);
  // The failed open forgets the previous length.
  EXPECT_EQ(window->PositionText.substr(window->PositionText.size() - 20), "00:00:00 / 00:00:00 ");
}

TEST_F(Opening, AMissingFileIsReportedWithItsName) {
  window->OpenFile("/no/such/file.avi");
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  EXPECT_EQ(windows.MessageBoxes[0].Text, "/no/such/file.avi: Cannot play.");
  EXPECT_TRUE(media.Graphs.empty());
}

TEST_F(Opening, TheEndWithRepeatPlaysAgainFromTheStartAndWithoutStaysStopped) {
  OpenVideo(320, 240, 3000);
  SetPositionMs(3000);
  timers.Tick();
  EXPECT_EQ(Player().State, PlayerState::Stopped);
  EXPECT_EQ(window->StateText, " STOP ");
  window->Repeat = true;
  timers.Tick();
  EXPECT_EQ(LastSeekMs(), 0);
  EXPECT_EQ(Player().State, PlayerState::Playing);
}

TEST_F(Opening, RepeatOnAFileWithoutADurationLeavesItStopped) {
  OpenVideo(320, 240, 0, "still.png");
  window->Repeat = true;
  const int runs = media.Last().Count("Run");
  for (int i = 0; i < 3; ++i) timers.Tick();
  EXPECT_EQ(Player().State, PlayerState::Stopped);
  EXPECT_EQ(window->StateText, " STOP REPEAT ");
  EXPECT_EQ(media.Last().Count("Run"), runs) << "a still picture was played again";
}

}  // namespace
}  // namespace mova::test

namespace mova::test {
namespace {

TEST_F(MainWindowTest, FilterCommandsOpenTheNamedFiltersPagesAndIdsPastTheNamesNameNone) {
  media.Script.Filters = {{"source", false}, {"decoder", true}, {"sink", true}};
  OpenVideo(320, 240, 60000);
  ASSERT_EQ(Player().FilterCount, 2);
  window->ExecuteCommand(4001);
  window->ExecuteCommand(4255);
  const auto& shown = media.Last().SettingsShown;
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "sink " + std::to_string(handle));
  EXPECT_EQ(shown[1].rfind(" ", 0), 0u);  // the empty name
}

}  // namespace
}  // namespace mova::test
