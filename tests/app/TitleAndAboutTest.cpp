// The window title, the media-format text and the About box.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

class TitleAndAbout : public MainWindowTest {
 protected:
  // Writes the format records as the file's headers would have filled them.
  void SetFormats(uint16_t tag, uint16_t channels, uint32_t samples, uint32_t bytes, const char* code) {
    auto& audio = Player().AudioFormat;
    audio.fill(0);
    const auto put16 = [&](size_t at, uint16_t v) {
      audio[at] = static_cast<uint8_t>(v);
      audio[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    const auto put32 = [&](size_t at, uint32_t v) {
      put16(at, static_cast<uint16_t>(v));
      put16(at + 2, static_cast<uint16_t>(v >> 16));
    };
    put16(0, tag);
    put16(2, channels);
    put32(4, samples);
    put32(8, bytes);
    auto& video = Player().VideoFormat;
    video.fill(0);
    std::memcpy(&video[16], code, 4);
    window->UpdateAudioText();
  }
};

TEST_F(TitleAndAbout, TheTitleShowsNameNativeSizeFrameRateAndZoom) {
  window->UpdateTitle();
  EXPECT_EQ(Win().Text, "Mova");
  media.Script.FrameTime = 1.0 / 29.97;
  OpenVideo(352, 240, 60000, "clip.avi");
  EXPECT_EQ(Win().Text, "clip.avi (352x240 29.970fps) 100% - Mova");
  window->ExecuteCommand(CmdZoom150);
  EXPECT_EQ(Win().Text, "clip.avi (352x240 29.970fps) 150% - Mova");
  // The size stays the native one; the zoom is the fitted one.
  window->ExecuteCommand(CmdAspect169);
  EXPECT_EQ(Win().Text, "clip.avi (352x240 29.970fps) " + std::to_string(window->Zoom) + "% - Mova");
  EXPECT_NE(window->Zoom, 150);
  media.Script.HasFrameTime = false;
  window->ExecuteCommand(CmdZoom200);
  OpenVideo(160, 120, 60000, "no rate.avi");
  EXPECT_EQ(Win().Text, "no rate.avi (160x120 0.000fps) 200% - Mova");
}

TEST_F(TitleAndAbout, OnLinuxOnlyTheSlashSeparatesFolderAndName) {
  program.PathRules = TPathRules{'/', false};
  OpenVideo(320, 240, 60000, "clip.avi");
  Player().FileName = "/tmp/c:clip.avi";
  window->UpdateTitle();
  EXPECT_EQ(Win().Text.substr(0, 11), "c:clip.avi ");
  Player().FileName = "clip.avi";
  window->UpdateTitle();
  EXPECT_EQ(Win().Text.substr(0, 9), "clip.avi ");
  Player().FileName = "/a/b\\c/";
  window->UpdateTitle();
  EXPECT_EQ(Win().Text.substr(0, 2), " (");
}

TEST_F(TitleAndAbout, OnWindowsTheBackslashAndTheColonEndTheFolderPart) {
  program.PathRules = TPathRules{'\\', true};
  OpenVideo(320, 240, 60000, "clip.avi");
  for (const auto& [path, title] : {std::pair<std::string, std::string>{"c:clip.avi", "clip.avi ("},
                                    {"C:\\films\\a.avi", "a.avi ("},
                                    {"d:\\x:y.avi", "y.avi ("},
                                    {"d:/x/y.avi", "/x/y.avi ("}}) {
    Player().FileName = path;
    window->UpdateTitle();
    EXPECT_EQ(Win().Text.substr(0, title.size()), title) << path;
  }
}

TEST_F(TitleAndAbout, TheAudioTextNamesCodecRatesStereoAndVideoCode) {
  OpenVideo(320, 240, 60000);
  SetFormats(85, 2, 44100, 16000, "MJPG");
  EXPECT_EQ(window->AudioText, "MP3 44kHz 128k st MJPG ");
  SetFormats(1, 2, 44100, 176400, "\0\0\0\0");
  EXPECT_EQ(window->AudioText, "PCM 44kHz 1411k st  ");
  SetFormats(0, 0, 0, 0, "\0\0\0\0");
  EXPECT_EQ(window->AudioText, "0kHz 0k  ");
  SetFormats(85, 1, 22050, 8000, "DIV3");
  EXPECT_EQ(window->AudioText, "MP3 22kHz 64k DIV3 ");
  SetFormats(2, 6, 48000, 24000, "XV\0D");
  EXPECT_EQ(window->AudioText, "MSADPCM 48kHz 192k XV ");
  SetFormats(0x161, 2, 999, 124, "mp4v");
  EXPECT_EQ(window->AudioText, "WMA 0kHz 0k st mp4v ");
  // The common codecs of files without AVI headers have names too.
  for (const auto& [tag, name] : std::vector<std::pair<uint16_t, std::string>>{
           {0x50, "MP2"}, {0xFF, "AAC"}, {0x1610, "AAC"}, {0x2000, "AC3"}, {0xF1AC, "FLAC"}, {0x704F, "Opus"},
           {0x674F, "Vorbis"}, {0x6771, "Vorbis"}, {0x160, "WMA"}, {0x163, "WMA"}}) {
    SetFormats(tag, 2, 48000, 16000, "H264");
    EXPECT_EQ(window->AudioText, name + " 48kHz 128k st H264 ") << tag;
  }
  SetFormats(0x6772, 1, 48000, 16000, "VP90");
  EXPECT_EQ(window->AudioText, "48kHz 128k VP90 ");
  // Rates past the 32-bit range wrap as the format's fields do, without failing.
  SetFormats(1, 2, 0xFFFFFFFF, 0x20000000, "\0\0\0\0");
  EXPECT_EQ(window->AudioText, "PCM 0kHz 0k st  ");
  // The status bar shows it in front of the position.
  window->UpdateStatus();
  EXPECT_EQ(window->PositionText.rfind("PCM 0kHz 0k st  00:", 0), 0u);
}

TEST_F(TitleAndAbout, AFailedOpenRebuildsTheTextFromWhatItLeft) {
  OpenVideo(320, 240, 60000);
  SetFormats(85, 2, 44100, 16000, "MJPG");
  media.Script.RenderResult = false;
  window->OpenFile(MediaFile("bad.avi"));
  EXPECT_EQ(window->AudioText, "0kHz 0k  ");
  EXPECT_EQ(Win().Text, "Mova");
}

TEST_F(TitleAndAbout, TheAboutBoxShowsVersionFolderPictureSizeAndAspect) {
  program.ProfileFolder = "/home/user/.qadl/mova/";
  window->ExecuteCommand(CmdAbout);
  ASSERT_EQ(windows.MessageBoxes.size(), 1u);
  const auto& box = windows.MessageBoxes[0];
  EXPECT_EQ(box.Owner, handle);
  EXPECT_EQ(box.Caption, "About Mova");
  EXPECT_EQ(box.Style, MB::USERICON);
  const std::string versionLine = std::string("Mova ") + MOVA_VERSION + " (" + MOVA_RELEASE_DATE + ")\r\n\r\n";
  EXPECT_EQ(box.Text.rfind(versionLine, 0), 0u) << box.Text;
  const std::string tail =
      "\r\n\r\nProfile Folder: /home/user/.qadl/mova/\r\n\r\nWindow Size: 0x0\r\nFile Aspcet: 0.0000";
  ASSERT_GT(box.Text.size(), versionLine.size() + tail.size());
  EXPECT_EQ(box.Text.substr(box.Text.size() - tail.size()), tail) << box.Text;
  // The notice between them is text, not blank lines.
  EXPECT_EQ(box.Text.find("\r\n\r\n\r\n"), std::string::npos);

  OpenVideo(352, 240, 60000);
  Player().PixelAspect = 1.0950;
  window->ShowAbout();
  const std::string& text = windows.MessageBoxes.back().Text;
  const std::string lastLines = "\r\n\r\nWindow Size: 352x240\r\nFile Aspcet: 1.0950";
  EXPECT_EQ(text.substr(text.size() - lastLines.size()), lastLines);
}

}  // namespace
}  // namespace mova::test
