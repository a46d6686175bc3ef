// The types the desktop entry offers Mova for are the ones it plays: a file
// of each, which the desktop's MIME database (through GIO, as file managers
// read it) takes for that type, opens in the real player without "Cannot
// play.", and Exit then ends the player with 0.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/ChildProcess.h"
#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"
#include "support/WaitFor.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

struct Sample {
  std::string Name;  // its extension is what the MIME database sees first
  std::string Encode;
};

const std::string Picture = "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 ";
const std::string Sound = "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 ";
const std::string H264 = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p ";

// One file for each type of the entry, or for a subtype of it.
const std::vector<Sample> Samples = {
    {"types-mjpeg-pcm.avi", Picture + Sound + "-c:v mjpeg -c:a pcm_s16le"},
    {"types-mpeg1.mpg", Picture + Sound + "-c:v mpeg1video -c:a mp2 -f mpeg"},
    {"types-mpeg2.ts", Picture + Sound + "-c:v mpeg2video -c:a mp2 -f mpegts"},
    {"types-h264-aac.mp4", Picture + Sound + H264 + "-c:a aac"},
    {"types-h264-aac.mov", Picture + Sound + H264 + "-c:a aac"},
    {"types-h263-aac.3gp", Picture + Sound + "-c:v h263 -s 176x144 -c:a aac -ac 1 -ar 8000"},
    {"types-h264-aac.mkv", Picture + Sound + H264 + "-c:a aac"},
    {"types-vp8-vorbis.webm", Picture + Sound + "-c:v libvpx -deadline realtime -c:a libvorbis"},
    {"types-theora-vorbis.ogv", Picture + Sound + "-c:v libtheora -c:a libvorbis"},
    {"types-theora-vorbis.ogg", Picture + Sound + "-c:v libtheora -c:a libvorbis"},
    {"types-flv1-mp3.flv", Picture + Sound + "-c:v flv1 -c:a libmp3lame"},
    {"types-msmpeg4-wma.asf", Picture + Sound + "-c:v msmpeg4 -c:a wmav2"},
    {"types-wmv2-wma.wmv", Picture + Sound + "-c:v wmv2 -c:a wmav2"},
    {"types-ntsc.dv", "-f lavfi -i testsrc=size=720x480:rate=30000/1001:duration=1 "
                      "-f lavfi -i sine=sample_rate=48000:duration=1 -target ntsc-dv"},
    {"types-pictures.mjpeg", Picture + "-c:v mjpeg -f mjpeg"},
    {"types-pcm.wav", Sound + "-c:a pcm_s16le"},
    {"types-mp3.mp3", Sound + "-c:a libmp3lame"},
    {"types-mp2.mp2", Sound + "-c:a mp2"},
    {"types-aac.m4a", Sound + "-c:a aac"},
    {"types-adts.aac", Sound + "-c:a aac -f adts"},
    {"types-ac3.ac3", Sound + "-c:a ac3"},
    {"types-flac.flac", Sound + "-c:a flac"},
    {"types-vorbis.oga", Sound + "-c:a libvorbis"},
    {"types-opus.opus", Sound + "-c:a libopus -ar 48000"},
    {"types-flac.oga", Sound + "-c:a flac -f ogg"},
    {"types-speex.oga", Sound + "-c:a libspeex -ar 16000"},
    {"types-vorbis.mka", Sound + "-c:a libvorbis"},
    {"types-pcm.aiff", Sound + "-c:a pcm_s16be"},
    {"types-pcm.au", Sound + "-c:a pcm_s16be -f au"},
    {"types-wma.wma", Sound + "-c:a wmav2"},
    {"types-wavpack.wv", Sound + "-c:a wavpack"},
};

std::set<std::string> EntryTypes() {
  std::ifstream entry(MOVA_DESKTOP_ENTRY);
  std::set<std::string> types;
  for (std::string line; std::getline(entry, line);) {
    if (line.rfind("MimeType=", 0) != 0) continue;
    std::istringstream list(line.substr(9));
    for (std::string type; std::getline(list, type, ';');)
      if (!type.empty()) types.insert(type);
  }
  return types;
}

// The type GIO gives the file, from its name and its first bytes.
std::string DetectedType(const std::string& file) {
  std::istringstream info(Shell("gio info -a standard::content-type " + file, 10));
  for (std::string line; std::getline(info, line);) {
    const size_t at = line.find("standard::content-type: ");
    if (at != std::string::npos) return line.substr(at + 24);
  }
  return "";
}

// The type with every type it is a subtype of, by the MIME database.
std::set<std::string> WithParents(const std::string& type) {
  static const std::multimap<std::string, std::string> parents = [] {
    std::multimap<std::string, std::string> map;
    std::ifstream file("/usr/share/mime/subclasses");
    for (std::string child, parent; file >> child >> parent;) map.emplace(child, parent);
    return map;
  }();
  std::set<std::string> all{type};
  std::vector<std::string> open{type};
  while (!open.empty()) {
    const std::string next = open.back();
    open.pop_back();
    for (auto [at, end] = parents.equal_range(next); at != end; ++at)
      if (all.insert(at->second).second) open.push_back(at->second);
  }
  return all;
}

enum class Outcome { Played, CannotPlay, NoWindow };

// Opens the file as `mova FILE` and ends it with Exit; the exit code goes to `code`.
Outcome Play(const std::string& file, const std::string& profile, std::optional<int>& code) {
  const std::string name = file.substr(file.rfind('/') + 1);
  Player mova({file}, {{"QADLPROF", profile}, {"WAYLAND_DISPLAY", ""}});
  std::string window;
  bool box = false;
  WaitFor([&] {
    // Whether it runs is read once: a program that ends between two looks
    // must not pass for one that ended before it showed anything.
    const bool running = mova->Running();
    if (!running && mova.RestartIfRefused()) return false;
    int plain = 0;  // the empty window and the "Cannot play." box over it are both titled "Mova"
    for (const std::string& id : Windows(mova->Pid(), "Mova$")) {
      const std::string title = Title(id);
      if (title.rfind(name + " (", 0) == 0) window = id;
      plain += title == "Mova";
    }
    box = plain >= 2;
    return !window.empty() || box || !running;
  }, 20s);
  if (window.empty()) {
    code = mova->Wait(0ms);
    return box ? Outcome::CannotPlay : Outcome::NoWindow;
  }
  for (int attempt = 0; attempt < 3 && !(code = mova->Wait(0ms)); ++attempt) {
    Key(window, "x");
    code = mova->Wait(5s);
  }
  return Outcome::Played;
}

TEST(DesktopEntry, EveryTypeItListsIsOneTheMimeDatabaseKnowsAndTheRealPlayerPlays) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::set<std::string> listed = EntryTypes();
  ASSERT_GE(listed.size(), 20u);
  for (const std::string& type : listed)
    EXPECT_TRUE(std::ifstream("/usr/share/mime/" + type + ".xml").good()) << type << " is no type of the database";

  const std::string profile = ProfileRoot("media-types", "X Exit\r\n");
  std::set<std::string> covered;
  for (const Sample& sample : Samples) {
    SCOPED_TRACE(sample.Name);
    const std::string file = GeneratedMedia(sample.Name, "ffmpeg -v error -y " + sample.Encode + " {OUT}");
    ASSERT_FALSE(file.empty()) << "ffmpeg could not make it";
    const std::string type = DetectedType(file);
    EXPECT_TRUE(listed.count(type)) << type << " is not in the entry";
    for (const std::string& parent : WithParents(type))
      if (listed.count(parent)) covered.insert(parent);
    std::optional<int> code;
    const Outcome outcome = Play(file, profile, code);
    if (outcome == Outcome::Played)
      EXPECT_EQ(code, std::optional<int>(0)) << "the exit code after Exit";
    else
      ADD_FAILURE() << (outcome == Outcome::CannotPlay ? "Cannot play." : "no window within 20 s");
  }
  for (const std::string& type : listed) EXPECT_TRUE(covered.count(type)) << "no file of " << type << " was played";
}

}  // namespace
}  // namespace mova::test
