// Broken media through the real player: every variant of every container is
// opened, left to play a moment, seeked to the middle and to the end through
// the status bar, and closed with Exit. It must play (perhaps only part) or
// say "Cannot play.", never crash, never stop answering, and exit with 0.
//
// CI plays a fixed subset of about a hundred variants. MOVA_CORPUS=full plays
// all of them (MOVA_CORPUS_SHARD=i/n the i-th of n parts, for parallel runs on
// displays of their own) and prints a table per container.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "corrupt/CorruptVariants.h"
#include "e2e/DisplaySupport.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

struct CleanFile {
  std::string Name;  // also the container's name in the table
  std::string Extension;
  std::string Command;
};

const std::string Video = "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 ";
const std::string Sound = "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 ";

const std::vector<CleanFile>& CleanFiles() {
  static const std::vector<CleanFile> files = {
      {"avi-mjpeg-pcm", ".avi", Video + Sound + "-c:v mjpeg -c:a pcm_s16le"},
      {"mpeg1-ps", ".mpg", Video + Sound + "-c:v mpeg1video -c:a mp2 -f mpeg"},
      {"mpeg2-ps", ".mpg", Video + Sound + "-c:v mpeg2video -c:a mp2 -f vob"},
      {"mp4-h264-aac", ".mp4", Video + Sound + "-c:v libx264 -preset ultrafast -c:a aac"},
      {"matroska", ".mkv", Video + Sound + "-c:v libx264 -preset ultrafast -c:a aac"},
      {"webm", ".webm", Video + Sound + "-c:v libvpx -deadline realtime -c:a libvorbis"},
      {"ogg-theora-vorbis", ".ogg", Video + Sound + "-c:v libtheora -c:a libvorbis"},
      {"wav", ".wav", Sound + "-c:a pcm_s16le"},
      {"mp3", ".mp3", Sound + "-c:a libmp3lame"},
  };
  return files;
}

enum class Outcome { Played, CannotPlay, Crashed, Hung };

const char* Describe(Outcome outcome) {
  switch (outcome) {
    case Outcome::Played: return "played";
    case Outcome::CannotPlay: return "Cannot play.";
    case Outcome::Crashed: return "crashed";
    case Outcome::Hung: return "hung";
  }
  return "?";
}

std::string ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Click(const std::string& window, int x, int y) {
  Shell("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

// Exit's key until the program has ended; its exit code, or nothing when it
// did not answer.
std::optional<int> PressExit(Player& mova, const std::string& window) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    Key(window, "x");
    if (auto code = mova->Wait(5s)) return code;
  }
  return std::nullopt;
}

// Plays one file as the test's user does; `detail` says what went wrong.
Outcome PlayVariant(const std::string& file, const std::string& profile, std::string& detail) {
  Player mova({file}, {{"QADLPROF", profile}});
  const std::string name = std::filesystem::path(file).filename().string();
  std::string window;
  bool box = false;
  WaitFor([&] {
    if (!mova->Running()) return !mova.RestartIfRefused();
    // The player's title once the file is open; "Mova" on the empty window
    // and on the "Cannot play." box over it.
    // The display refuses a connection now and then: a title or a size
    // that could not be read is read again at the next look, never guessed.
    std::vector<std::string> plain;
    std::string titled;
    for (const std::string& id : Windows(mova->Pid(), "Mova$")) {
      const std::string title = Title(id);
      if (title.empty()) return false;
      if (title == "Mova")
        plain.push_back(id);
      else
        titled = id;
    }
    if (plain.size() >= 2) {
      std::string empty;
      std::vector<std::string> boxes;
      for (const std::string& id : plain) {
        const auto size = Size(id);
        if (size.first <= 0) return false;
        if (size == std::make_pair(320, 240))
          empty = id;
        else
          boxes.push_back(id);
      }
      if (empty.empty()) return false;
      box = true;
      for (const std::string& id : boxes) Key(id, "Return");
      window = empty;
    } else {
      window = titled;
    }
    return !window.empty();
  }, 20s);
  if (!mova->Running()) {
    const auto code = mova->Wait(1s);
    detail = "ended with " + (code ? std::to_string(*code) : std::string("?")) + " before Exit: " + mova->Errors();
    return Outcome::Crashed;
  }
  if (window.empty()) {
    detail = "no window within 20 s; where it waits:\n" + Stacks(mova->Pid());
    return Outcome::Hung;
  }
  if (!box) {
    WaitFor([&] { return Size(window).first > 0; }, 2s);
    const auto [width, height] = Size(window);
    if (width > 0 && height > 0) {
      Click(window, width / 2, height - 6);  // the middle
      Click(window, width - 2, height - 6);  // the end
      // The broken file plays on from the seeks for a moment before Exit.
      std::this_thread::sleep_for(300ms);
    }
  }
  const std::optional<int> code = PressExit(mova, window);
  if (!code) {
    detail = "Exit not answered within 10 s; where it waits:\n" + Stacks(mova->Pid());
    return Outcome::Hung;
  }
  if (*code != 0) {
    detail = "exit code " + std::to_string(*code) + ": " + mova->Errors();
    return Outcome::Crashed;
  }
  return box ? Outcome::CannotPlay : Outcome::Played;
}

// Variants found to crash or hang once, played on every run.
const std::vector<std::string> Regressions = {};

TEST(CorruptMedia, EveryVariantPlaysOrCannotPlayAndTheProgramExitsWithZero) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const char* corpus = std::getenv("MOVA_CORPUS");
  const bool full = corpus != nullptr && std::string(corpus) == "full";
  int shard = 0;
  int shards = 1;
  if (const char* part = std::getenv("MOVA_CORPUS_SHARD")) std::sscanf(part, "%d/%d", &shard, &shards);
  // MOVA_CORPUS_ONLY=TEXT: only the variants whose "container/name" holds TEXT.
  const char* only = std::getenv("MOVA_CORPUS_ONLY");

  struct Entry {
    std::string Container;
    Variant Made;
  };
  std::vector<Entry> all;
  for (const CleanFile& clean : CleanFiles()) {
    const std::string path = GeneratedMedia("corrupt-clean-" + clean.Name + clean.Extension,
                                            "ffmpeg -v error -y " + clean.Command + " {OUT}");
    ASSERT_FALSE(path.empty()) << "could not make " << clean.Name;
    for (Variant& made : MakeVariants(ReadAll(path), clean.Extension, full ? 100 : 8))
      all.push_back(Entry{clean.Name, std::move(made)});
  }
  // CI: about a hundred, spread over every container and kind, and the regressions.
  std::vector<const Entry*> chosen;
  const size_t step = full ? 1 : std::max<size_t>(1, all.size() / 100);
  for (size_t i = 0; i < all.size(); ++i) {
    const std::string id = all[i].Container + "/" + all[i].Made.Name;
    const bool regression = std::find(Regressions.begin(), Regressions.end(), id) != Regressions.end();
    if (only != nullptr) {
      if (id.find(only) != std::string::npos) chosen.push_back(&all[i]);
    } else if ((i % step == 0 || regression) && static_cast<int>(i % static_cast<size_t>(shards)) == shard) {
      chosen.push_back(&all[i]);
    }
  }

  // A profile of this run's own: parallel runs must not rewrite each other's key map.
  const std::string profile = ProfileRoot("corrupt-" + UniqueToken(), "X Exit\r\n");
  const std::filesystem::path folder = std::filesystem::path(TestMediaDir()) / "corrupt";
  std::map<std::string, std::map<Outcome, int>> table;
  for (const Entry* entry : chosen) {
    std::filesystem::create_directories(folder / entry->Container);
    const std::string file =
        (folder / entry->Container / (entry->Made.Name + entry->Made.Extension)).string();
    std::ofstream(file, std::ios::binary) << entry->Made.Bytes;
    std::string detail;
    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome = PlayVariant(file, profile, detail);
    if (full || only != nullptr)
      std::cout << entry->Container << "/" << entry->Made.Name << ": " << Describe(outcome) << " in "
                << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
                << " ms" << std::endl;
    ++table[entry->Container][outcome];
    EXPECT_TRUE(outcome == Outcome::Played || outcome == Outcome::CannotPlay)
        << file << ": " << Describe(outcome) << " (" << detail << ")";
    if (outcome == Outcome::Played || outcome == Outcome::CannotPlay) std::filesystem::remove(file);
  }

  std::ostringstream report;
  report << "container            variants  played  Cannot play.  crashed  hung\n";
  std::map<Outcome, int> total;
  for (const auto& [container, counts] : table) {
    int variants = 0;
    for (const auto& [outcome, count] : counts) {
      variants += count;
      total[outcome] += count;
    }
    char row[160];
    std::snprintf(row, sizeof row, "%-20s %8d  %6d  %12d  %7d  %4d\n", container.c_str(), variants,
                  counts.count(Outcome::Played) ? counts.at(Outcome::Played) : 0,
                  counts.count(Outcome::CannotPlay) ? counts.at(Outcome::CannotPlay) : 0,
                  counts.count(Outcome::Crashed) ? counts.at(Outcome::Crashed) : 0,
                  counts.count(Outcome::Hung) ? counts.at(Outcome::Hung) : 0);
    report << row;
  }
  std::cout << report.str();
}

}  // namespace
}  // namespace mova::test
