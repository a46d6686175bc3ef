#pragma once
// A player over the fake graph and timers, with a few media headers on disk.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "player/VideoPlayer.h"
#include "support/FakeMedia.h"
#include "support/GeneratedMedia.h"
#include "support/RiffBytes.h"
#include "support/HostSystem.h"

namespace mova::test {

// An AVI header with a video and an audio stream and the given frame time.
inline std::string AviBytes(uint32_t microsecondsPerFrame) {
  std::string avih = Le32(microsecondsPerFrame) + std::string(52, '\0');
  std::string bitmap = Le32(40) + Le32(64) + Le32(48) + std::string(4, '\0') + "MJPG" +
                       std::string(20, '\0');
  std::string wave = std::string("\x01\x00\x02\x00", 4) + Le32(44100) + Le32(176400) +
                     std::string("\x04\x00\x10\x00", 4);
  std::string hdrl = Chunk("avih", avih) +
                     List("LIST", "strl", Chunk("strh", std::string(56, '\0')) + Chunk("strf", bitmap)) +
                     List("LIST", "strl", Chunk("strh", std::string(56, '\0')) + Chunk("strf", wave));
  return List("RIFF", "AVI ", List("LIST", "hdrl", hdrl) + List("LIST", "movi", ""));
}

// An MPEG video sequence header of width x height with the given aspect code.
inline std::string MpegBytes(int width, int height, int aspectCode) {
  std::string bytes = std::string("\x00\x00\x01\xBA", 4) + std::string(8, '\x44');
  bytes += std::string("\x00\x00\x01\xB3", 4);
  bytes += static_cast<char>(width >> 4);
  bytes += static_cast<char>(((width & 0x0F) << 4) | (height >> 8));
  bytes += static_cast<char>(height & 0xFF);
  bytes += static_cast<char>((aspectCode << 4) | 3);
  bytes += std::string(32, '\x11');
  return bytes;
}

class PlayerTest : public ::testing::Test {
 protected:
  PlayerTest() {
    Player->OwnerWindow = 0x5150;
    Player->OnProgress = [this] {
      ++Progress;
      if (ProgressReadsPosition) Player->GetPosition();
    };
    Player->OnEndReached = [this] {
      ++Ends;
      if (RepeatOnEnd) {
        Player->Seek(0);
        Player->Play();
      }
    };
  }

  // A plain file the probes find nothing in.
  std::string PlainFile(const std::string& name = "plain.bin") { return WriteTestFile(name, std::string(64, 'x')); }

  // Opens a plain file with the platform's current script.
  FakeGraphState& OpenPlain() {
    Player->Open(PlainFile());
    EXPECT_TRUE(Player->Opened);
    return Platform.Last();
  }

  FakeMediaPlatform Platform;
  FakeTimerService Timers;
  std::unique_ptr<TVideoPlayer> Player = std::make_unique<TVideoPlayer>(Platform, Timers, HostSystem());
  int Progress = 0;
  int Ends = 0;
  bool ProgressReadsPosition = false;  // the status refresh reads the position, as the main window's does
  bool RepeatOnEnd = false;            // the end handler plays again from 0, as with repeat on
};

}  // namespace mova::test
