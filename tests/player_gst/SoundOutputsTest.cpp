// The check that spares a machine without sound the trial of every audio sink.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/gstreamer/SoundOutputs.h"

namespace mova::test {
namespace {

struct TMachine {
  std::set<std::string> Paths;
  std::map<std::string, std::string> Variables;
  std::string Cards = "--- no soundcards ---\n";

  bool MayHaveSound() const {
    TSoundClues clues;
    clues.Exists = [this](const std::string& path) { return Paths.count(path) != 0; };
    clues.Environment = [this](const std::string& name) {
      const auto found = Variables.find(name);
      return found != Variables.end() ? found->second : std::string();
    };
    clues.AlsaCards = Cards;
    clues.UserId = 1000;
    return MayHaveSoundOutput(clues);
  }
};

TEST(SoundOutputsTest, AMachineWithNoServerCardOrDeviceHasNoSound) {
  TMachine headless;
  EXPECT_FALSE(headless.MayHaveSound());
  headless.Paths = {"/run/user/1000", "/dev/snd", "/dev/null"};  // folders alone are no device
  EXPECT_FALSE(headless.MayHaveSound());
}

TEST(SoundOutputsTest, ASoundServersSocketIsEnough) {
  TMachine pulse;
  pulse.Paths = {"/run/user/1000/pulse/native"};
  EXPECT_TRUE(pulse.MayHaveSound());

  TMachine elsewhere;  // the runtime folder the session names, not the usual one
  elsewhere.Variables["XDG_RUNTIME_DIR"] = "/tmp/rt";
  elsewhere.Paths = {"/tmp/rt/pipewire-0"};
  EXPECT_TRUE(elsewhere.MayHaveSound());
  elsewhere.Paths = {"/run/user/1000/pipewire-0"};
  EXPECT_FALSE(elsewhere.MayHaveSound());

  TMachine remote;
  remote.Variables["PULSE_SERVER"] = "tcp:host";
  EXPECT_TRUE(remote.MayHaveSound());

  TMachine system;
  system.Paths = {"/var/run/pulse/native"};
  EXPECT_TRUE(system.MayHaveSound());
}

TEST(SoundOutputsTest, AnAlsaCardOrAnOssDeviceIsEnough) {
  TMachine card;
  card.Cards = " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n                      HDA Intel PCH at 0xf7f10000\n";
  EXPECT_TRUE(card.MayHaveSound());

  TMachine unreadable;  // no card list: the first card's control device tells
  unreadable.Cards.clear();
  EXPECT_FALSE(unreadable.MayHaveSound());
  unreadable.Paths = {"/dev/snd/controlC0"};
  EXPECT_TRUE(unreadable.MayHaveSound());

  TMachine oss;
  oss.Paths = {"/dev/dsp"};
  EXPECT_TRUE(oss.MayHaveSound());
}

}  // namespace
}  // namespace mova::test
