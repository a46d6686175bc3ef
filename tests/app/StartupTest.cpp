#include <gtest/gtest.h>

#include <sstream>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "framework/FakeWindowSystem.h"
#include "support/FakeMedia.h"
#include "support/MemorySystem.h"

namespace mova::test {
namespace {

class Startup : public ::testing::Test {
 protected:
  TStartupServices Services() { return TStartupServices{windows, media, timers, system, errors}; }
  WindowHandle MainHandle() { return 0x1000; }  // the fake's first window
  // Closes the main window from inside the loop, as the close button does.
  void CloseFromTheLoop() {
    windows.LoopScript.push_back([this] { windows.Inject(MainHandle(), WM::SYSCOMMAND, SC::CLOSE); });
  }
  std::string File(const std::string& name) {
    const std::string path = "/media/" + name;
    system.Files[path] = "bytes of no known container";
    return path;
  }

  FakeWindowSystem windows;
  FakeMediaPlatform media;
  FakeTimerService timers;
  TMemorySystem system;
  std::ostringstream errors;
};

TEST_F(Startup, WithoutArgumentsShowsAnEmptyWindowAndEndsWithZeroAfterAClose) {
  CloseFromTheLoop();
  EXPECT_EQ(RunProgram(Services()), 0);
  auto& window = windows.Get(MainHandle());
  EXPECT_EQ(window.Class.Name, "TMovaClass");
  EXPECT_EQ(window.Class.Style, 11u);
  EXPECT_EQ(window.Class.Brush, TClassBrush::Black);
  EXPECT_EQ(window.Create.Style, 0x02CF0000u);
  EXPECT_EQ(window.Create.ExStyle, 0x10u);
  EXPECT_EQ(window.Create.X, CW::USEDEFAULT);
  EXPECT_EQ(window.Create.Width, 320);
  EXPECT_EQ(window.Create.Height, 240);
  EXPECT_EQ(window.Text, "Mova");
  EXPECT_GE(window.Paints, 1);  // shown and painted before the loop
  EXPECT_TRUE(window.Destroyed);
  EXPECT_TRUE(media.Graphs.empty());
  EXPECT_TRUE(errors.str().empty());
}

TEST_F(Startup, WithoutAWindowEndsWith255AndOneLine) {
  windows.FailCreate = true;
  system.ArgumentList = {File("x.avi")};
  EXPECT_EQ(RunProgram(Services()), ExitNoWindow);
  EXPECT_TRUE(media.Graphs.empty());
  const std::string text = errors.str();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  EXPECT_TRUE(windows.MessageBoxes.empty());
}

TEST_F(Startup, OpensOnlyTheFirstArgumentAndPlaysIt) {
  const std::string first = File("first.avi");
  bool playingInLoop = false;
  WindowHandle ownerInLoop = 0;
  windows.LoopScript.push_back([&] {
    playingInLoop = media.Last().Count("Run") > 0;
    ownerInLoop = media.Last().Owner;
  });
  CloseFromTheLoop();
  system.ArgumentList = {first, File("second.avi")};
  EXPECT_EQ(RunProgram(Services()), 0);
  ASSERT_EQ(media.Graphs.size(), 1u);
  EXPECT_EQ(media.Last().RenderedFile, first);
  EXPECT_EQ(ownerInLoop, MainHandle());  // the owner was set before the open
  EXPECT_TRUE(playingInLoop);
  EXPECT_TRUE(media.Last().Destroyed);  // closed by the window's close
}

TEST_F(Startup, TheProfileOptionIsNoFile) {
  CloseFromTheLoop();
  system.ArgumentList = {"/prof=/tmp/cfg"};
  EXPECT_EQ(RunProgram(Services()), 0);
  EXPECT_TRUE(media.Graphs.empty());
  EXPECT_TRUE(windows.MessageBoxes.empty());
}

TEST_F(Startup, AFileThatCannotBePlayedIsReportedAndTheProgramRunsOn) {
  media.Script.RenderResult = false;
  bool loopRan = false;
  windows.LoopScript.push_back([&] { loopRan = true; });
  CloseFromTheLoop();
  system.ArgumentList = {File("broken.avi")};
  EXPECT_EQ(RunProgram(Services()), 0);
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  EXPECT_EQ(windows.MessageBoxes[0].Text, File("broken.avi") + ": Cannot play.");
  EXPECT_TRUE(loopRan);
}

TEST_F(Startup, KeysReachTheWindowAsCommandsThroughTheKeyMap) {
  // The profile folder is the variable's folder with "mova" under it.
  system.Environment["QADLPROF"] = "/profiles";
  system.Files["/profiles/mova/keymap"] = "X Mute\n";
  windows.LoopScript.push_back([&] { windows.PressKey(TKeyPress{'X', false, false, false}); });
  windows.LoopScript.push_back([&] { windows.PressKey(TKeyPress{'M', false, false, false}); });
  CloseFromTheLoop();
  EXPECT_EQ(RunProgram(Services()), 0);
  // X was bound by the key map, M (a default only) is no longer.
  ASSERT_EQ(windows.DispatchedKeys.size(), 1u);
  EXPECT_EQ(windows.DispatchedKeys[0].VirtualKey, 'M');
}

TEST_F(Startup, AFailureEscapingStartUpIsReportedAndEndsTheProgram) {
  // The key map in the executable's folder opens, but cannot be read.
  system.Files["/opt/mova/keymap"] = "X Mute\n";
  system.ReadFailsAt["/opt/mova/keymap"] = 0;
  EXPECT_EQ(RunProgram(Services()), ExitFailure);
  EXPECT_NE(errors.str().find("mova: reading /opt/mova/keymap"), std::string::npos) << errors.str();
  EXPECT_TRUE(media.Graphs.empty());
}

}  // namespace
}  // namespace mova::test
