// The engine's side of frame capture and of the elements' settings.
#include <filesystem>
#include <fstream>

#include "player/PlayerFixture.h"

namespace mova::test {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(PlayerTest, CaptureWithoutAFileFailsWithoutADetector) {
  const std::string target = TestMediaDir() + "/capture-none.bmp";
  std::filesystem::remove(target);
  EXPECT_FALSE(Player->CaptureFrame(target));
  EXPECT_EQ(Platform.DetectorsCreated, 0);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(PlayerTest, CaptureAsksForTheFrameAtThePositionAtTheNativeSize) {
  Platform.Script.Width = 6;
  Platform.Script.Height = 2;
  Platform.Script.Duration = 600'000'000;
  FakeGraphState& graph = OpenPlain();
  graph.Position = 123'450'000;  // 12.345 s
  const std::string target = TestMediaDir() + "/capture-fake.bmp";
  ASSERT_TRUE(Player->CaptureFrame(target));
  ASSERT_EQ(Platform.DetectorCalls.size(), 1u);
  EXPECT_EQ(Platform.DetectorCalls[0], Player->FileName + "@12.345 6x2");
  const std::string bmp = ReadAll(target);
  ASSERT_EQ(bmp.size(), 54u + 2 * 20);  // rows of 18 bytes padded to 20
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  // The first stored pixel, blue-green-red.
  EXPECT_EQ(static_cast<uint8_t>(bmp[54]), 30);
  EXPECT_EQ(static_cast<uint8_t>(bmp[55]), 20);
  EXPECT_EQ(static_cast<uint8_t>(bmp[56]), 10);
}

TEST_F(PlayerTest, CaptureAtTheEndRunsTheEndCheckFirst) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  graph.Position = graph.Duration;
  EXPECT_TRUE(Player->CaptureFrame(TestMediaDir() + "/capture-end.bmp"));
  EXPECT_EQ(Ends, 1);
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(Platform.DetectorCalls.at(0), Player->FileName + "@1.000 320x240");
}

TEST_F(PlayerTest, AFailedDecodeWritesNothingAndKeepsAnExistingFile) {
  OpenPlain();
  const std::string target = WriteTestFile("capture-keep.bmp", "precious");
  Platform.DetectorResult = false;
  EXPECT_FALSE(Player->CaptureFrame(target));
  EXPECT_EQ(ReadAll(target), "precious");
}

TEST_F(PlayerTest, FilterSettingsGoToTheGraphWithTheOwnerOnlyWhileOpen) {
  Player->ShowFilterPages("decoder");  // nothing open: no graph to ask
  FakeGraphState& graph = OpenPlain();
  Player->ShowFilterPages("decoder");
  ASSERT_EQ(graph.SettingsShown.size(), 1u);
  EXPECT_EQ(graph.SettingsShown[0], "decoder " + std::to_string(0x5150));
  Player->Close();
  Player->ShowFilterPages("decoder");
  EXPECT_EQ(graph.SettingsShown.size(), 1u);
}

}  // namespace
}  // namespace mova::test
