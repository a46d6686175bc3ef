#pragma once
// A main window over the in-memory window system and the fake media graph,
// set up as start-up sets it up.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "framework/FakeWindowSystem.h"
#include "support/FakeMedia.h"
#include "support/HostSystem.h"

namespace mova::test {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program.WheelMessage = windows.RegisterNamedMessage("MSWHEEL_ROLLMSG");
    program.PathRules = HostSystem().PathRules();
    program.System = &HostSystem();
    program.Timers = &timers;
    window = std::make_unique<TMainWindow>(windows, program);
    window->ClassStyle = CS::VREDRAW | CS::HREDRAW | CS::DBLCLKS;
    window->Style = WS::OVERLAPPEDWINDOW | WS::CLIPCHILDREN;
    window->ExStyle = WS_EX::ACCEPTFILES;
    window->ClassBrush = TClassBrush::Black;
    window->CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
    ASSERT_NE(window->Handle, 0u);
    program.Player = std::make_unique<TVideoPlayer>(media, timers, HostSystem());
    TMainWindow* target = window.get();
    program.Player->OnProgress = [target] { target->UpdateStatus(); };
    program.Player->OnEndReached = [target] { target->EndReached(); };
    window->Show();
    program.Player->OwnerWindow = window->Handle;
    handle = window->Handle;
  }

  void TearDown() override {
    program.Player.reset();
    window.reset();
  }

  // A readable file for the player to probe (its bytes are no known format).
  static std::string MediaFile(const std::string& name) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << "not a known container, only bytes";
    return path;
  }

  // Opens a file whose graph reports this picture and length.
  void OpenVideo(int32_t width, int32_t height, int32_t durationMs, const std::string& name = "clip.avi") {
    media.Script.Width = width;
    media.Script.Height = height;
    media.Script.Duration = static_cast<int64_t>(durationMs) * 10000;
    window->OpenFile(MediaFile(name));
    ASSERT_TRUE(program.Player->Opened);
  }

  // The graph's position, in milliseconds.
  void SetPositionMs(int32_t ms) { media.Last().Position = static_cast<int64_t>(ms) * 10000; }
  int64_t LastSeekMs() {
    const auto& seeks = media.Last().Seeks;
    return seeks.empty() ? -1 : seeks.back() / 10000;
  }
  FakeWindowSystem::Window& Win() { return windows.Get(handle); }
  TVideoPlayer& Player() { return *program.Player; }
  // Whether `msg` reached the default handling since the start.
  bool Defaulted(uint32_t msg) const {
    for (const auto& message : windows.Defaulted)
      if (message.Msg == msg) return true;
    return false;
  }

  FakeWindowSystem windows;
  FakeMediaPlatform media;
  FakeTimerService timers;
  TProgramState program;
  std::unique_ptr<TMainWindow> window;
  WindowHandle handle = 0;
};

}  // namespace mova::test
