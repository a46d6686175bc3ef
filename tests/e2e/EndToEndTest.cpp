// The real player on the virtual display: window size, status bar pixels,
// the "Cannot play." box, the exit codes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "e2e/ChildProcess.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

struct Pixel {
  int R = 0, G = 0, B = 0;
  bool operator==(const Pixel&) const = default;
};
constexpr Pixel Gray{128, 128, 128};
constexpr Pixel Cyan{0, 255, 255};

struct Snapshot {
  int Width = 0;
  int Height = 0;
  std::string Data;  // RGB, row after row
  Pixel At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * Width + x) * 3;
    return Pixel{static_cast<uint8_t>(Data[at]), static_cast<uint8_t>(Data[at + 1]),
                 static_cast<uint8_t>(Data[at + 2])};
  }
};

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

// A private profile folder, so that the tester's own key map plays no part.
std::string ProfileRoot(const std::string& name, const std::string& keymap = "") {
  const std::filesystem::path root = std::filesystem::path(TestMediaDir()) / ("e2e-profile-" + name);
  std::filesystem::create_directories(root / "mova");
  std::ofstream(root / "mova" / "keymap") << keymap;
  return root.string();
}

// The visible windows of process `pid` whose title matches `pattern`.
std::vector<std::string> Windows(pid_t pid, const std::string& pattern) {
  std::istringstream ids(
      Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " --name \"" + pattern + "\"", 5));
  std::vector<std::string> result;
  for (std::string id; ids >> id;) result.push_back(id);
  return result;
}

// The player under test. The virtual display refuses a connection now and
// then, to any client; a start that failed only for that is made again.
class Player {
 public:
  Player(std::vector<std::string> arguments, std::map<std::string, std::string> environment)
      : Arguments(std::move(arguments)), Environment(std::move(environment)) {
    Process = std::make_unique<ChildProcess>(MOVA_BINARY, Arguments, Environment);
  }
  ChildProcess& operator*() { return *Process; }
  ChildProcess* operator->() { return Process.get(); }

  // Waits for `count` visible windows titled to match `pattern`.
  std::vector<std::string> WaitForWindows(const std::string& pattern, size_t count,
                                          std::chrono::seconds timeout = 15s) {
    int restarts = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      auto found = Windows(Process->Pid(), pattern);
      if (found.size() >= count) return found;
      if (!Process->Running() && Process->Errors().find("could not connect") != std::string::npos &&
          restarts++ < 3) {
        Process = std::make_unique<ChildProcess>(MOVA_BINARY, Arguments, Environment);
      }
      std::this_thread::sleep_for(100ms);
    }
    ADD_FAILURE() << "no window \"" << pattern << "\"; the process's windows: "
                  << Shell("xdotool search --all --pid " + std::to_string(Process->Pid()) + " --name . getwindowname %@")
                  << "; its errors: " << Process->Errors();
    return {};
  }

 private:
  std::vector<std::string> Arguments;
  std::map<std::string, std::string> Environment;
  std::unique_ptr<ChildProcess> Process;
};

std::pair<int, int> Size(const std::string& id) {
  std::istringstream info(Shell("xwininfo -id " + id));
  int width = -1;
  int height = -1;
  for (std::string line; std::getline(info, line);) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "Width:") words >> width;
    if (key == "Height:") words >> height;
  }
  return {width, height};
}

Snapshot CaptureOnce(const std::string& id) {
  Snapshot shot;
  const std::string ppm = Shell("import -window " + id + " -depth 8 ppm:-", 10);
  std::istringstream in(ppm);
  std::string magic;
  int maxValue = 0;
  in >> magic >> shot.Width >> shot.Height >> maxValue;
  in.get();
  if (magic != "P6" || maxValue != 255) return Snapshot{};
  shot.Data = ppm.substr(static_cast<size_t>(in.tellg()));
  if (shot.Data.size() < static_cast<size_t>(shot.Width) * shot.Height * 3) return Snapshot{};
  return shot;
}

Snapshot Capture(const std::string& id) {
  Snapshot shot;
  for (int attempt = 0; attempt < 3 && shot.Width == 0; ++attempt) shot = CaptureOnce(id);
  return shot;
}

// Columns painted gray in the marker's rows of the bar (text is never gray).
double MarkerCentre(const Snapshot& shot) {
  const int top = shot.Height - 13;
  std::set<int> columns;
  for (int y = top + 2; y <= top + 11; ++y)
    for (int x = 0; x < shot.Width; ++x)
      if (shot.At(x, y) == Gray) columns.insert(x);
  if (columns.empty()) return -1;
  double sum = 0;
  for (int x : columns) sum += x;
  return sum / static_cast<double>(columns.size());
}

std::string Clip() {
  return GeneratedMedia("e2e-clip-320x240.avi",
                        "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=3 "
                        "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 "
                        "-c:v mjpeg -q:v 5 -c:a pcm_s16le -f avi {OUT}");
}

TEST(EndToEnd, AClipPlaysInAWindowOfThePictureAndTheBarAndTheMarkerMoves) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  Player mova({clip}, {{"QADLPROF", ProfileRoot("clip")}});
  const auto found = mova.WaitForWindows("e2e-clip-320x240.avi \\(320x240 25.000fps\\) 100% - Mova", 1);
  ASSERT_EQ(found.size(), 1u);
  const std::string window = found[0];
  // The display applies the size a moment after the title.
  for (int i = 0; i < 30 && Size(window) != std::make_pair(320, 253); ++i) std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Size(window), std::make_pair(320, 253));
  // Other tests' windows may share the display: this one goes to the bottom
  // right corner, where nothing covers it.
  std::istringstream screen(Shell("xdotool getdisplaygeometry"));
  int screenWidth = 0;
  int screenHeight = 0;
  screen >> screenWidth >> screenHeight;
  Shell("xdotool windowmove " + window + " " + std::to_string(screenWidth - 330) + " " +
        std::to_string(screenHeight - 263));

  std::this_thread::sleep_for(400ms);
  const Snapshot first = Capture(window);
  std::this_thread::sleep_for(900ms);
  const Snapshot second = Capture(window);
  ASSERT_EQ(first.Width, 320);
  ASSERT_EQ(second.Height, 253);
  for (int x = 0; x < 320; ++x) ASSERT_EQ(first.At(x, 240), Gray) << "column " << x;
  int cyan = 0;
  for (int y = 241; y < 253; ++y)
    for (int x = 0; x < 320; ++x) cyan += first.At(x, y) == Cyan;
  EXPECT_GT(cyan, 100);
  const double before = MarkerCentre(first);
  const double after = MarkerCentre(second);
  EXPECT_GE(before, 0);
  EXPECT_GT(after, before + 30) << "the marker did not move";
  // The picture is the video's: the test pattern is not black at its centre.
  EXPECT_FALSE(first.At(160, 60) == (Pixel{0, 0, 0}));
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEnd, AFileThatCannotBePlayedShowsTheBoxAndTheProgramRunsOn) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  std::string noise(4096, '\0');
  uint32_t seed = 12345;
  for (char& byte : noise) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 16);
  }
  const std::string file = WriteTestFile("e2e-noise.bin", noise);
  Player mova({file}, {{"QADLPROF", ProfileRoot("noise")}});
  // The main window and the box over it are both captioned "Mova".
  const auto found = mova.WaitForWindows("^Mova$", 2);
  ASSERT_EQ(found.size(), 2u);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(mova->Running());
  // Confirming the box leaves the empty main window.
  for (const std::string& id : found) {
    if (Size(id) != std::make_pair(320, 240)) Shell("xdotool key --window " + id + " Return");
  }
  size_t left = 0;
  for (int i = 0; i < 30 && left != 1; ++i) {
    std::this_thread::sleep_for(100ms);
    left = Windows(mova->Pid(), "^Mova$").size();
  }
  EXPECT_EQ(left, 1u);
  EXPECT_TRUE(mova->Running());
}

TEST(EndToEnd, WithoutADisplayTheProgramEndsWith255AndOneLine) {
  ChildProcess mova(MOVA_BINARY, {}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}});
  const auto code = mova.Wait(20s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 255);
  const std::string errors = mova.Errors();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  EXPECT_EQ(errors.rfind("mova: ", 0), 0u) << errors;
}

TEST(EndToEnd, TheExitCommandEndsTheProgramWithZero) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  Player mova({}, {{"QADLPROF", ProfileRoot("exit", "X Exit\n")}});
  const auto found = mova.WaitForWindows("^Mova$", 1);
  ASSERT_EQ(found.size(), 1u);
  std::optional<int> code;
  for (int attempt = 0; attempt < 3 && !code; ++attempt) {
    Shell("xdotool key --window " + found[0] + " x");
    code = mova->Wait(4s);
  }
  ASSERT_TRUE(code.has_value()) << "still running after the Exit key";
  EXPECT_EQ(*code, 0);
}

}  // namespace
}  // namespace mova::test
