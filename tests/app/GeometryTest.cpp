#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

using Geometry = MainWindowTest;

TEST_F(Geometry, FitVideoCentresThePictureAndTakesTheZoomFromTheSmallerSide) {
  OpenVideo(352, 240, 60000);
  windows.SetWindowSize(handle, 640, 493);
  EXPECT_EQ(window->DisplayWidth, 640);
  EXPECT_EQ(window->DisplayHeight, 436);
  EXPECT_EQ(window->Zoom, 181);
  const auto& graph = media.Last();
  EXPECT_EQ(graph.Left, 0);
  EXPECT_EQ(graph.Top, 22);
  EXPECT_EQ(graph.WindowWidth, 640);
  EXPECT_EQ(graph.WindowHeight, 436);
  EXPECT_EQ(Win().Text, "clip.avi (352x240 25.000fps) 181% - Mova");
}

TEST_F(Geometry, EqualProportionsAndSquarePicturesTakeTheHeight) {
  OpenVideo(200, 100, 60000);
  windows.SetWindowSize(handle, 400, 213);  // exactly twice: the height-limited branch
  EXPECT_EQ(window->DisplayWidth, 400);
  EXPECT_EQ(window->DisplayHeight, 200);
  EXPECT_EQ(window->Zoom, 200);
  OpenVideo(100, 100, 60000);
  windows.SetWindowSize(handle, 301, 150 + 13);  // a square picture 150 x 150, bars left and right
  EXPECT_EQ(window->DisplayWidth, 150);
  EXPECT_EQ(window->DisplayHeight, 150);
  EXPECT_EQ(window->Zoom, 150);
  EXPECT_EQ(media.Last().Left, 75);  // the odd pixel goes to the right bar
}

TEST_F(Geometry, AnAspectCommandRefitsInsideTheSameWindow) {
  OpenVideo(352, 240, 60000);
  window->ExecuteCommand(CmdAspect169);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 352, 253}));
  EXPECT_EQ(window->DisplayWidth, 352);
  EXPECT_EQ(window->DisplayHeight, 240 * 352 / 427);
  EXPECT_EQ(media.Last().Top, (240 - window->DisplayHeight) / 2);
}

TEST_F(Geometry, AspectWidthsFollowTheMode) {
  OpenVideo(352, 240, 60000);
  window->Aspect = AspectMode::Aspect43;
  EXPECT_EQ(window->AspectWidth(), 320);
  window->Aspect = AspectMode::Aspect169;
  EXPECT_EQ(window->AspectWidth(), 427);
  window->Aspect = AspectMode::AspectOrg;
  EXPECT_EQ(window->AspectWidth(), 352);
  OpenVideo(720, 576, 60000);
  window->Aspect = AspectMode::Aspect43;
  EXPECT_EQ(window->AspectWidth(), 768);
  window->Aspect = AspectMode::Aspect169;
  EXPECT_EQ(window->AspectWidth(), 1024);
  window->Aspect = AspectMode::AspectAuto;
  Player().PixelAspect = 0.7031;
  EXPECT_EQ(window->AspectWidth(), 1024);  // 720 / 0.7031 = 1024.04
  Player().PixelAspect = 1.6;
  EXPECT_EQ(window->AspectWidth(), 450);
  Player().PixelAspect = 0.64;  // 720 / 0.64 = 1125 exactly
  EXPECT_EQ(window->AspectWidth(), 1125);
}

TEST_F(Geometry, AutoWidthRoundsHalvesToEven) {
  OpenVideo(5, 2, 60000);
  Player().PixelAspect = 2.0;  // 2.5
  EXPECT_EQ(window->AspectWidth(), 2);
  Player().VideoWidth = 7;  // 3.5
  EXPECT_EQ(window->AspectWidth(), 4);
}

TEST_F(Geometry, AZeroWidthFallsBackTo320AndAZeroPixelAspectCountsAsSquare) {
  // Before any file: no size and a pixel aspect of 0.
  EXPECT_EQ(window->AspectWidth(), 320);
  window->Aspect = AspectMode::Aspect43;
  EXPECT_EQ(window->AspectWidth(), 320);
  window->Aspect = AspectMode::AspectAuto;
  Player().VideoWidth = 640;
  Player().PixelAspect = 0.0;
  EXPECT_EQ(window->AspectWidth(), 640);
  Player().PixelAspect = -1.0;
  EXPECT_EQ(window->AspectWidth(), 640);
}

TEST_F(Geometry, AZoomKeyBeforeAnyFileResizesTheWindowAndPlacesNoPicture) {
  window->ExecuteCommand(CmdZoom200);
  EXPECT_EQ(window->Zoom, 200);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 640, 13}));
  EXPECT_TRUE(media.Graphs.empty());
  EXPECT_EQ(window->DisplayWidth, 0);
}

TEST_F(Geometry, ZoomSizesTheWindowToThePictureAndTheTitleShowsIt) {
  OpenVideo(352, 240, 60000);
  window->ExecuteCommand(CmdZoom50);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 176, 133}));
  EXPECT_EQ(window->Zoom, 50);
  EXPECT_EQ(Win().Text, "clip.avi (352x240 25.000fps) 50% - Mova");
  window->ExecuteCommand(1999);  // no row, but in the zoom range: 999 %
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 3516, 2397 + 13}));
}

TEST_F(Geometry, TheRequestedZoomSurvivesAMaximisedWindow) {
  OpenVideo(352, 240, 60000);
  windows.Maximize(handle);
  EXPECT_NE(window->Zoom, 200);
  window->ExecuteCommand(CmdZoom200);
  EXPECT_FALSE(windows.IsZoomed(handle));
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 704, 493}));
  EXPECT_EQ(window->Zoom, 200);
}

TEST_F(Geometry, FitVideoWithNothingOpenChangesNothing) {
  windows.SetWindowSize(handle, 500, 500);
  EXPECT_EQ(window->Zoom, 100);
  EXPECT_EQ(window->DisplayWidth, 0);
  EXPECT_TRUE(media.Graphs.empty());
}

TEST_F(Geometry, FullScreenFromAMaximisedWindowAndBack) {
  OpenVideo(352, 240, 60000);
  windows.MoveWindow(handle, 40, 30, 352, 253, true);
  windows.Maximize(handle);
  const uint32_t styleBefore = windows.GetStyleBits(handle);
  ASSERT_TRUE(styleBefore & WS::MAXIMIZE);

  window->ExecuteCommand(CmdFullScreen);
  EXPECT_TRUE(window->FullScreen);
  EXPECT_TRUE(window->StayOnTop);
  EXPECT_TRUE(Win().Topmost);
  EXPECT_FALSE(window->SavedStayOnTop);
  EXPECT_EQ(window->SavedStyle, styleBefore);
  EXPECT_EQ(window->SavedPlacement.ShowCmd, static_cast<uint32_t>(SW::SHOWMAXIMIZED));
  EXPECT_EQ(window->SavedPlacement.NormalPosition, (TRect{40, 30, 392, 283}));
  EXPECT_EQ(Win().Style, FullScreenStyle);
  EXPECT_TRUE(Win().Visible);
  EXPECT_EQ(Win().Bounds, (TRect{0, 0, 1280, 1024}));
  // The picture fills the screen above the bar, which stays at the bottom.
  EXPECT_EQ(window->StatusBarRect(), (TRect{0, 1011, 1280, 1024}));
  EXPECT_EQ(window->DisplayWidth, 1280);
  EXPECT_EQ(window->DisplayHeight, 872);

  window->ExecuteCommand(CmdFullScreen);
  EXPECT_FALSE(window->FullScreen);
  EXPECT_EQ(Win().Style, styleBefore & ~(WS::MAXIMIZE | WS::VISIBLE));
  EXPECT_TRUE(windows.IsZoomed(handle));  // maximised again through the placement
  EXPECT_EQ(Win().NormalBounds, (TRect{40, 30, 392, 283}));
  EXPECT_FALSE(window->StayOnTop);
  EXPECT_FALSE(Win().Topmost);
}

TEST_F(Geometry, LeavingFullScreenRestoresStayOnTopAsItWasWhenEntered) {
  OpenVideo(352, 240, 60000);
  window->ExecuteCommand(CmdStayOnTop);
  window->ExecuteCommand(CmdFullScreen);
  window->ExecuteCommand(CmdStayOnTop);  // a key still reaches it in full screen
  EXPECT_FALSE(window->StayOnTop);
  window->ExecuteCommand(CmdFullScreen);
  EXPECT_TRUE(window->StayOnTop);
  EXPECT_TRUE(Win().Topmost);
}

TEST_F(Geometry, AZoomCommandLeavesFullScreenFirst) {
  OpenVideo(352, 240, 60000);
  windows.MoveWindow(handle, 40, 30, 352, 253, true);
  window->ExecuteCommand(CmdFullScreen);
  window->ExecuteCommand(CmdZoom200);
  EXPECT_FALSE(window->FullScreen);
  EXPECT_EQ(Win().Style, WS::OVERLAPPEDWINDOW | WS::CLIPCHILDREN);
  EXPECT_EQ(Win().Bounds, (TRect{40, 30, 40 + 704, 30 + 493}));
  EXPECT_EQ(window->Zoom, 200);
}

TEST_F(Geometry, SizeToVideoInFullScreenKeepsFullScreen) {
  OpenVideo(352, 240, 60000);
  window->ExecuteCommand(CmdFullScreen);
  const int32_t zoom = window->Zoom;
  window->ExecuteCommand(CmdSizeToVideo);
  EXPECT_TRUE(window->FullScreen);
  EXPECT_EQ(window->ClientRect(), (TRect{0, 0, 352 * zoom / 100, 240 * zoom / 100 + 13}));
}

}  // namespace
}  // namespace mova::test
