// Arbitrary header bytes opened as a clip and fitted into the main window,
// over the in-memory system, window system and graph: the window title
// "clip.avi (352x240 25.000fps) 100% - Mova" must show the size, frame rate
// and zoom the program holds, and the media-format text must lead the status
// bar's text.
//
// Input: a flags byte (bit 0: the graph reports a picture, bit 1: a Windows
// path, bit 2: the graph's length is an estimate, bits 3-4: the aspect mode),
// the graph's picture width
// and height (2 bytes each), its frame time in 100 ns (4 bytes, 0: none) and
// its length in milliseconds (4 bytes); the rest is the file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/MainWindow.h"
#include "framework/FakeWindowSystem.h"
#include "framework/LittleEndian.h"
#include "support/FakeMedia.h"
#include "support/MemorySystem.h"

namespace {

// Takes `expected` off the front of `text`.
bool Take(std::string& text, const std::string& expected) {
  if (text.compare(0, expected.size(), expected) != 0) return false;
  text.erase(0, expected.size());
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 13) return 0;
  // One window for the whole run: the fake window system gives every window
  // size a picture buffer of its own, so the picture is fitted into this one
  // window instead of the window being sized to the picture.
  static mova::test::FakeWindowSystem windowSystem;
  static mova::test::FakeMediaPlatform media;
  static mova::test::FakeTimerService timers;
  static mova::test::TMemorySystem system;
  static mova::TProgramState program;
  static mova::TMainWindow& window = []() -> mova::TMainWindow& {
    static mova::TMainWindow created(windowSystem, program);
    created.Style = mova::WS::OVERLAPPEDWINDOW | mova::WS::CLIPCHILDREN;
    created.CreateHandle(mova::CW::USEDEFAULT, mova::CW::USEDEFAULT, 320, 240);
    return created;
  }();

  const uint8_t flags = data[0];
  media.Graphs.clear();
  media.Script.HasVideo = (flags & 1) != 0;
  media.Script.Width = static_cast<int32_t>(mova::ReadLe16(data + 1));
  media.Script.Height = static_cast<int32_t>(mova::ReadLe16(data + 3));
  const uint32_t frameTime = mova::ReadLe32(data + 5);
  media.Script.HasFrameTime = frameTime != 0;
  media.Script.FrameTime = frameTime / 1e7;
  media.Script.Duration = static_cast<int64_t>(mova::ReadLe32(data + 9)) * 10000;
  media.Script.DurationEstimate = (flags & 4) != 0;

  const bool windows = (flags & 2) != 0;
  system.Rules = windows ? mova::TPathRules{'\\', true} : mova::TPathRules{'/', false};
  program.PathRules = system.Rules;
  const std::string path = windows ? "C:\\films\\clip.avi" : "/films/clip.avi";
  system.Files.clear();
  system.Files[path] = std::string(reinterpret_cast<const char*>(data + 13), size - 13);
  windowSystem.Calls.clear();
  windowSystem.Get(window.Handle).Invalidated.clear();
  windowSystem.Get(window.Handle).InvalidatedErase.clear();

  program.Player = std::make_unique<mova::TVideoPlayer>(media, timers, system);
  const mova::TVideoPlayer& player = *program.Player;
  program.Player->Open(path);
  if (!player.Opened) std::abort();  // the graph renders every file
  if (!std::isfinite(player.FrameRate) || player.FrameRate < 0.0) std::abort();
  if (!std::isfinite(player.PixelAspect) || !(player.PixelAspect > 0.0)) std::abort();
  window.Aspect = static_cast<mova::AspectMode>(flags >> 3 & 3);
  window.Zoom = 100;
  window.FitVideo();
  window.UpdateTitle();
  window.UpdateAudioText();

  // The title, read back piece by piece.
  std::string title = windowSystem.Get(window.Handle).Text;
  if (!Take(title, "clip.avi (" + std::to_string(player.VideoWidth) + "x" + std::to_string(player.VideoHeight) + " "))
    std::abort();
  char* end = nullptr;
  const double rate = std::strtod(title.c_str(), &end);
  if (end == title.c_str() || std::fabs(rate - player.FrameRate) > 0.0005 + player.FrameRate * 1e-12) std::abort();
  title.erase(0, static_cast<size_t>(end - title.c_str()));
  if (window.Zoom < 0 || title != "fps) " + std::to_string(window.Zoom) + "% - Mova") std::abort();

  // The media-format text: codec, rates, channels and the video's code, each
  // followed by a blank; it leads the status bar's position text.
  const std::string& format = window.AudioText;
  if (format.empty() || format.back() != ' ' || format.find("kHz ") == std::string::npos) std::abort();
  window.UpdateStatus();
  if (!Take(window.PositionText, format) || window.PositionText.back() != ' ') std::abort();

  program.Player.reset();
  return 0;
}
