// The window title, the media-format text and the About box.
#include <array>
#include <cstdio>

#include "app/MainWindow.h"
#include "framework/LittleEndian.h"
#include "framework/PathNames.h"

namespace mova {

namespace {

std::string FixedText(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

void TMainWindow::UpdateTitle() {
  const TVideoPlayer* player = Program.Player.get();
  if (!player || !player->Opened) {
    Windows.SetWindowCaption(Handle, ProgramName);
    return;
  }
  const std::string& path = player->FileName;
  const std::string name = path.substr(FileNameStart(path, Program.PathRules));
  Windows.SetWindowCaption(Handle, name + " (" + std::to_string(player->VideoWidth) + "x" +
                                    std::to_string(player->VideoHeight) + " " + FixedText(player->FrameRate, 3) +
                                    "fps) " + std::to_string(Zoom) + "% - " + ProgramName);
}

void TMainWindow::UpdateAudioText() {
  std::array<uint8_t, 14> audio{};
  std::array<uint8_t, 40> video{};
  if (Program.Player) {
    audio = Program.Player->AudioFormat;
    video = Program.Player->VideoFormat;
  }
  std::string codec;
  switch (ReadLe16(&audio[0])) {
    case 1: codec = "PCM "; break;
    case 2: codec = "MSADPCM "; break;
    case 85: codec = "MP3 "; break;
    case 0x50: codec = "MP2 "; break;
    case 0xFF: case 0x1600: case 0x1610: codec = "AAC "; break;
    case 0x2000: codec = "AC3 "; break;
    case 0xF1AC: codec = "FLAC "; break;
    case 0x704F: codec = "Opus "; break;
    case 0x674F: case 0x6750: case 0x6751: case 0x676F: case 0x6770: case 0x6771: codec = "Vorbis "; break;
    case 0x160: case 0x161: case 0x162: case 0x163: codec = "WMA "; break;
    default: break;
  }
  const std::string stereo = ReadLe16(&audio[2]) == 2 ? "st " : "";
  std::string code;
  for (int i = 16; i < 20 && video[i] != 0; ++i) code += static_cast<char>(video[i]);
  // 32-bit signed arithmetic, wrapping as the format's fields do.
  const int32_t samplesPerSecond = static_cast<int32_t>(ReadLe32(&audio[4]));
  const int32_t bitsPerSecond = static_cast<int32_t>(ReadLe32(&audio[8]) * 8u);
  AudioText = codec + std::to_string(samplesPerSecond / 1000) + "kHz " + std::to_string(bitsPerSecond / 1000) + "k " +
              stereo + code + " ";
}

void TMainWindow::ShowAbout() {
  const double pixelAspect = Program.Player ? Program.Player->PixelAspect : 0.0;
  const std::string text = std::string(ProgramName) + " " + MOVA_VERSION + " (" + MOVA_RELEASE_DATE + ")\r\n" +
                           "\r\n"
                           "A small, fast, single-window media player.\r\n"
                           "Keys are read from the key map in the profile folder.\r\n"
                           "\r\n"
                           "Profile Folder: " + Program.ProfileFolder + "\r\n" +
                           "\r\n"
                           "Window Size: " + std::to_string(DisplayWidth) + "x" + std::to_string(DisplayHeight) +
                           "\r\n"
                           "File Aspcet: " + FixedText(pixelAspect, 4);
  Windows.ShowMessageBox(Handle, text, std::string("About ") + ProgramName, MB::USERICON);
}

}  // namespace mova
