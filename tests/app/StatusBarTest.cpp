#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

TEST(FormatTime, ShowsHoursMinutesAndSecondsWithTwoDigitsAtLeast) {
  EXPECT_EQ(FormatTime(0), "00:00:00");
  EXPECT_EQ(FormatTime(59999), "00:00:59");
  EXPECT_EQ(FormatTime((3600 + 23 * 60 + 45) * 1000), "01:23:45");
  EXPECT_EQ(FormatTime(100 * 3600 * 1000 - 1), "99:59:59");
}

TEST(FormatTime, HundredHoursAndMoreKeepAllHourDigitsAndNegativeTimesReadZero) {
  EXPECT_EQ(FormatTime(100 * 3600 * 1000), "100:00:00");
  EXPECT_EQ(FormatTime(INT32_MAX), "596:31:23");
  EXPECT_EQ(FormatTime(-1500), "00:00:00");
  EXPECT_EQ(FormatTime(INT32_MIN), "00:00:00");
}

using StatusBar = MainWindowTest;

TEST_F(StatusBar, TextsBeforeAnyFile) {
  window->UpdateStatus();
  EXPECT_EQ(window->StateText, " ");
  EXPECT_EQ(window->PositionText, "00:00:00 / 00:00:00 ");
}

TEST_F(StatusBar, StateWordAndFlags) {
  OpenVideo(320, 240, 192000);
  window->Repeat = true;
  window->Mute = true;
  window->UpdateStatus();
  EXPECT_EQ(window->StateText, " REPEAT MUTE");
  window->Mute = false;
  Player().Pause();
  window->UpdateStatus();
  EXPECT_EQ(window->StateText, " PAUSE REPEAT ");
  window->Repeat = false;
  window->UpdateStatus();
  EXPECT_EQ(window->StateText, " PAUSE ");
  Player().Stop();
  window->UpdateStatus();
  EXPECT_EQ(window->StateText, " STOP ");
  EXPECT_EQ(window->PositionText, window->AudioText + "00:00:00 / 00:03:12 ");
}

TEST_F(StatusBar, UpdateInvalidatesOnlyTheBarWithoutErasing) {
  OpenVideo(320, 240, 60000);
  Win().Invalidated.clear();
  Win().InvalidatedErase.clear();
  window->UpdateStatus();
  ASSERT_EQ(Win().Invalidated.size(), 1u);
  EXPECT_EQ(Win().Invalidated[0], (TRect{0, 240, 320, 253}));
  EXPECT_FALSE(Win().InvalidatedErase[0]);
}

TEST_F(StatusBar, ATickRefreshesTheTextsFromThePlayer) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(12345);
  timers.Tick();
  EXPECT_EQ(window->PositionText, window->AudioText + "00:00:12 / 00:01:00 ");
}

// The marker's columns on bar row 5, from the painted window.
class Marker : public MainWindowTest {
 protected:
  std::string Row(int32_t y) {
    windows.PaintNow(handle);
    std::string row;
    const auto& surface = *Win().Surface;
    for (int32_t x = 0; x < surface.Width(); ++x) {
      const TColor pixel = surface.Pixel(x, y);
      row += pixel == StatusGray ? 'g' : pixel == StatusBlack ? '.' : '?';
    }
    return row;
  }
  int32_t BarTop() { return window->ClientRect().Bottom - StatusBarHeight; }
};

TEST_F(Marker, BarGeometryAndColours) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(30000);  // column 160
  const int32_t top = BarTop();
  EXPECT_EQ(Row(top), std::string(320, 'g'));  // the gray top line
  EXPECT_EQ(Row(top + 1), std::string(320, '.'));
  const std::string markerRow = std::string(158, '.') + "ggggg" + std::string(157, '.');
  const std::string notchRow = std::string(158, '.') + "gg.gg" + std::string(157, '.');
  EXPECT_EQ(Row(top + 2), notchRow);
  EXPECT_EQ(Row(top + 3), notchRow);
  for (int32_t y = 4; y <= 9; ++y) EXPECT_EQ(Row(top + y), markerRow) << "row " << y;
  EXPECT_EQ(Row(top + 10), notchRow);
  EXPECT_EQ(Row(top + 11), notchRow);
  EXPECT_EQ(Row(top + 12), std::string(320, '.'));
}

TEST_F(Marker, AtTheStartAndAtTheEnd) {
  OpenVideo(320, 240, 60000);
  SetPositionMs(0);
  EXPECT_EQ(Row(BarTop() + 5).substr(0, 4), "ggg.");
  EXPECT_EQ(Row(BarTop() + 2).substr(0, 4), ".gg.");
  Player().Pause();
  SetPositionMs(60000);  // the end: only the two left columns stay in the bar
  const std::string row = Row(BarTop() + 5);
  EXPECT_EQ(row.substr(314), "....gg");
}

TEST_F(Marker, WithoutADurationOrFileItSitsAtColumnZero) {
  EXPECT_EQ(Row(BarTop() + 5).substr(0, 4), "ggg.");
  OpenVideo(320, 240, 0);
  Player().Pause();
  EXPECT_EQ(Row(BarTop() + 5).substr(0, 4), "ggg.");
}

TEST_F(Marker, TextsAreDrawnLeftAndRightInCyanOverTheMarker) {
  OpenVideo(320, 240, 60000);
  window->Repeat = true;
  window->UpdateStatus();
  windows.PaintNow(handle);
  const auto& texts = Win().Surface->Texts;
  ASSERT_GE(texts.size(), 2u);
  const auto& left = texts[texts.size() - 2];
  const auto& right = texts[texts.size() - 1];
  EXPECT_EQ(left.Value, window->StateText);
  EXPECT_EQ(left.Format, DT::SINGLELINE | DT::VCENTER);
  EXPECT_EQ(right.Value, window->PositionText);
  EXPECT_EQ(right.Format, DT::SINGLELINE | DT::VCENTER | DT::RIGHT);
  EXPECT_EQ(right.Color, StatusTextColor);
  EXPECT_EQ(right.Rect, (TRect{0, BarTop() + 1, 320, BarTop() + 13}));
}

TEST_F(StatusBar, TitleAndFormatTexts) {
  window->UpdateTitle();
  EXPECT_EQ(Win().Text, "Mova");
  OpenVideo(320, 240, 60000, "movie.avi");
  auto& audio = Player().AudioFormat;
  audio = {85, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x80, 0x3E, 0, 0, 0, 0};  // MP3, mono, 44100, 16000 bytes/s
  auto& video = Player().VideoFormat;
  video[16] = 'M';
  video[17] = 'J';
  video[18] = 0;
  video[19] = 'G';
  window->UpdateAudioText();
  EXPECT_EQ(window->AudioText, "MP3 44kHz 128k MJ ");
  audio[0] = 1;
  audio[2] = 2;
  audio[8] = 0x10;
  audio[9] = 0xB1;
  audio[10] = 0x02;  // 176400 bytes/s
  video[16] = 0;
  window->UpdateAudioText();
  EXPECT_EQ(window->AudioText, "PCM 44kHz 1411k st  ");
  audio[2] = 6;
  audio[0] = 7;
  video = {};
  video[16] = 'D';
  video[17] = 'I';
  video[18] = 'V';
  video[19] = 'X';
  window->UpdateAudioText();
  EXPECT_EQ(window->AudioText, "44kHz 1411k DIVX ");
}

TEST_F(StatusBar, AboutShowsTheProfileFolderAndThePictureSize) {
  program.ProfileFolder = "/home/user/.config/mova/";
  window->ExecuteCommand(CmdAbout);
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  const auto& box = windows.MessageBoxes[0];
  EXPECT_EQ(box.Caption, "About Mova");
  EXPECT_EQ(box.Style, MB::USERICON);
  EXPECT_EQ(box.Text.rfind("Mova ", 0), 0u);
  EXPECT_NE(box.Text.find("\r\nProfile Folder: /home/user/.config/mova/\r\n"), std::string::npos);
  EXPECT_NE(box.Text.find("\r\nWindow Size: 0x0\r\n"), std::string::npos);
  EXPECT_EQ(box.Text.substr(box.Text.size() - 19), "File Aspcet: 0.0000");
}

}  // namespace
}  // namespace mova::test
