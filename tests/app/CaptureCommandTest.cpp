// The screen-capture command: pause, the save dialog, the capture and the
// message when the file cannot be written.
#include <filesystem>

#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

class CaptureCommand : public MainWindowTest {
 protected:
  std::string Target(const std::string& name) {
    const std::string path = ::testing::TempDir() + name;
    std::filesystem::remove(path);
    return path;
  }
};

TEST_F(CaptureCommand, CancellingPausesAndWritesNothing) {
  OpenVideo(320, 240, 60000);
  std::string barDuringDialog;
  windows.OnSaveDialog = [&](const TSaveFileDialog&) -> std::optional<std::string> {
    barDuringDialog = window->StateText;
    return std::nullopt;
  };
  window->ExecuteCommand(CmdScreenCapture);
  ASSERT_EQ(windows.SaveDialogs.size(), 1u);
  const TSaveFileDialog& asked = windows.SaveDialogs[0];
  EXPECT_EQ(asked.Owner, handle);
  EXPECT_EQ(asked.FileName, "movacapt.bmp");
  EXPECT_EQ(asked.FilterName, "All Files");
  EXPECT_EQ(asked.FilterPattern, "*.*");
  EXPECT_EQ(asked.MaxFile, 1025u);
  EXPECT_EQ(asked.Flags, OFN::OVERWRITEPROMPT);
  EXPECT_EQ(barDuringDialog, " PAUSE ");
  EXPECT_TRUE(media.DetectorCalls.empty());
  EXPECT_TRUE(windows.MessageBoxes.empty());
  EXPECT_EQ(Player().State, PlayerState::Paused);
}

TEST_F(CaptureCommand, TheAcceptedNameIsWrittenAsItStandsAndPlaybackStaysPaused) {
  OpenVideo(320, 240, 60000);
  const std::string target = Target("capture without extension");
  windows.OnSaveDialog = [&](const TSaveFileDialog&) -> std::optional<std::string> { return target; };
  window->ExecuteCommand(CmdScreenCapture);
  ASSERT_EQ(media.DetectorCalls.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(target));
  EXPECT_FALSE(std::filesystem::exists(target + ".bmp"));
  EXPECT_TRUE(windows.MessageBoxes.empty());
  EXPECT_EQ(Player().State, PlayerState::Paused);
}

TEST_F(CaptureCommand, WhileStoppedTheCommandPausesWhereThePictureStands) {
  OpenVideo(320, 240, 60000);
  window->ExecuteCommand(CmdStop);
  window->ExecuteCommand(CmdScreenCapture);
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(window->StateText, " PAUSE ");
  window->ExecuteCommand(CmdScreenCapture);
  EXPECT_EQ(Player().State, PlayerState::Paused);
}

TEST_F(CaptureCommand, AFileThatCannotBeWrittenIsReportedWithItsName) {
  OpenVideo(320, 240, 60000);
  const std::string target = ::testing::TempDir() + "no such folder/shot.bmp";
  windows.OnSaveDialog = [&](const TSaveFileDialog&) -> std::optional<std::string> { return target; };
  window->ExecuteCommand(CmdScreenCapture);
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  const auto& box = windows.MessageBoxes[0];
  EXPECT_EQ(box.Text, target + ": Cannot write.");
  EXPECT_EQ(box.Caption, "Mova");
  EXPECT_EQ(box.Style, MB::OK | MB::ICONEXCLAMATION);
  EXPECT_EQ(box.Owner, handle);
  EXPECT_EQ(Player().State, PlayerState::Paused);

  media.DetectorResult = false;  // the frame cannot be decoded
  window->ExecuteCommand(CmdScreenCapture);
  EXPECT_EQ(windows.MessageBoxes.size(), 2u);
}

TEST_F(CaptureCommand, WithNoFileOpenTheDialogComesAndThenTheMessage) {
  windows.OnSaveDialog = [&](const TSaveFileDialog&) -> std::optional<std::string> { return "/tmp/movacapt.bmp"; };
  window->ExecuteCommand(CmdScreenCapture);
  EXPECT_EQ(windows.SaveDialogs.size(), 1u);
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  EXPECT_EQ(windows.MessageBoxes[0].Text, "/tmp/movacapt.bmp: Cannot write.");
  EXPECT_TRUE(media.DetectorCalls.empty());
}

}  // namespace
}  // namespace mova::test
