// The real player as a Wayland client of weston's headless compositor: a
// private compositor (its own runtime folder, mode 0700), keys typed
// on the keyboard of the module WestonKeyboard.c, and the screen read with
// weston-screenshooter. The clip's picture is a single red, so the picture,
// the status bar below it and the client area's edges can be told apart in
// the screenshot whatever decorations the window gets.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/ChildProcess.h"
#include "support/GeneratedMedia.h"
#include "support/StatusBarPixels.h"
#include "support/WaitFor.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
constexpr int BarHeight = 13;

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Weston on the headless backend with the pixman renderer (so that it has
// pixels to shoot), the desktop shell without panel and animations, and the
// test keyboard. --debug is what lets weston-screenshooter shoot.
class Weston {
 public:
  Weston() {
    char pattern[] = "/tmp/mova-wayland-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    Runtime = pattern;
    chmod(Runtime.c_str(), 0700);
    Socket = "mova-test-" + UniqueToken();
    Keys = Runtime + "/keys";
    if (mkfifo(Keys.c_str(), 0600) != 0) return;
    std::ofstream(Runtime + "/weston.ini") << "[core]\nidle-time=0\n"
                                              "[shell]\nbackground-color=0xff204060\npanel-position=none\n"
                                              "locking=false\nanimation=none\nstartup-animation=none\n";
    const std::string weston = Trimmed(Shell("command -v weston"));
    if (weston.empty()) return;
    Process = std::make_unique<ChildProcess>(
        weston,
        std::vector<std::string>{"--backend=headless-backend.so", "--use-pixman",
                                 "--width=" + std::to_string(ScreenWidth), "--height=" + std::to_string(ScreenHeight),
                                 "--socket=" + Socket, "--config=" + Runtime + "/weston.ini", "--debug",
                                 "--modules=" MOVA_WESTON_KEYBOARD, "--log=" + Runtime + "/weston.log"},
        std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", Runtime}, {"MOVA_WESTON_KEYS", Keys},
                                           {"WAYLAND_DISPLAY", ""}, {"DISPLAY", ""}});
    // The socket comes before the modules are loaded: ready once the keyboard has said so too.
    const auto started = [&] {
      return fs::exists(Runtime + "/" + Socket) && Log().find("mova-test keyboard: keys from") != std::string::npos;
    };
    Ready = WaitFor([&] { return started() || !Process->Running(); }, 10s) && Process->Running() && started();
  }

  ~Weston() {
    if (Process) Process->Kill();
    std::error_code error;
    if (!Runtime.empty()) fs::remove_all(Runtime, error);
  }

  // What a client of this compositor sees: its socket and runtime folder, no
  // X display, and a Wayland session, so that Qt chooses its Wayland plugin.
  std::map<std::string, std::string> ClientEnvironment() const {
    return {{"XDG_RUNTIME_DIR", Runtime}, {"WAYLAND_DISPLAY", Socket}, {"XDG_SESSION_TYPE", "wayland"},
            {"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
  }

  // Presses and releases a key (an evdev code) on the compositor's keyboard.
  void Press(int key) const { std::ofstream(Keys) << key << "\n"; }

  // The whole screen; an empty snapshot when it cannot be shot.
  Snapshot Screenshot() const {
    const std::string shots = Runtime + "/shots";
    fs::create_directories(shots);
    Shell("cd " + shots + " && XDG_RUNTIME_DIR=" + Runtime + " WAYLAND_DISPLAY=" + Socket + " weston-screenshooter");
    Snapshot shot;
    for (const auto& file : fs::directory_iterator(shots)) {
      const std::string ppm = Shell("convert " + file.path().string() + " -depth 8 ppm:-", 10);
      fs::remove(file.path());
      shot = SnapshotFromPpm(ppm);
    }
    return shot;
  }

  std::string Log() const {
    std::ifstream file(Runtime + "/weston.log");
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  bool Ready = false;

 private:
  std::string Runtime;
  std::string Socket;
  std::string Keys;
  std::unique_ptr<ChildProcess> Process;
};

bool IsRed(const Pixel& p) { return p.R > 200 && p.G < 60 && p.B < 60; }

// The client area as the screenshot shows it: the red picture, the gray line
// under it and the rows of the bar below, and around them something that is
// neither (the decorations or the desktop).
struct ClientArea {
  bool Found = false;
  int Left = 0, Top = 0;     // the picture's top left corner on the screen
  int PictureWidth = 0, PictureHeight = 0;
  int BarRows = 0;           // the gray line and the mostly black rows under it
  bool Enclosed = false;     // nothing of the picture or the bar beyond these edges
};

ClientArea FindClientArea(const Snapshot& shot) {
  ClientArea area;
  int left = shot.Width, right = -1, top = shot.Height, bottom = -1;
  for (int y = 0; y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x)
      if (IsRed(shot.At(x, y))) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < 0) return area;
  area.Found = true;
  area.Left = left, area.Top = top;
  area.PictureWidth = right - left + 1, area.PictureHeight = bottom - top + 1;
  auto rowShare = [&](int y, auto&& test) {
    int count = 0;
    for (int x = left; x <= right; ++x) count += test(shot.At(x, y));
    return static_cast<double>(count) / area.PictureWidth;
  };
  if (bottom + 1 < shot.Height && rowShare(bottom + 1, [](const Pixel& p) { return p == Gray; }) == 1.0) {
    area.BarRows = 1;
    while (bottom + 1 + area.BarRows < shot.Height &&
           rowShare(bottom + 1 + area.BarRows, [](const Pixel& p) { return p == Black; }) > 0.5)
      ++area.BarRows;
  }
  // The edges: no red and no black just outside the picture and the bar.
  const int last = bottom + area.BarRows;
  bool enclosed = true;
  auto outside = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= shot.Width || y >= shot.Height) return;
    const Pixel p = shot.At(x, y);
    if (IsRed(p) || p == Black) enclosed = false;
  };
  for (int y = top; y <= last; ++y) outside(left - 1, y), outside(right + 1, y);
  for (int x = left; x <= right; ++x) outside(x, top - 1), outside(x, last + 1);
  area.Enclosed = enclosed;
  return area;
}

std::string Describe(const ClientArea& area) {
  if (!area.Found) return "no picture on the screen";
  std::ostringstream text;
  text << "picture " << area.PictureWidth << "x" << area.PictureHeight << " at " << area.Left << "," << area.Top
       << ", bar of " << area.BarRows << " rows, " << (area.Enclosed ? "enclosed" : "not enclosed");
  return text.str();
}

bool IsWindowOfTheClip(const ClientArea& area) {
  return area.Found && area.PictureWidth == 352 && area.PictureHeight == 240 && area.BarRows == BarHeight &&
         area.Enclosed;
}

// The client area covers the screen: the bar's gray line runs across the
// whole width 13 rows above the bottom, mostly black rows of the bar below
// it, and the picture is as wide as the screen.
bool CoversTheScreen(const Snapshot& shot) {
  if (shot.Width != ScreenWidth || shot.Height != ScreenHeight) return false;
  for (int x = 0; x < ScreenWidth; ++x)
    if (!(shot.At(x, ScreenHeight - BarHeight) == Gray)) return false;
  for (int y = ScreenHeight - BarHeight + 1; y < ScreenHeight; ++y) {
    int black = 0;
    for (int x = 0; x < ScreenWidth; ++x) black += shot.At(x, y) == Black;
    if (black < ScreenWidth / 2) return false;
  }
  return FindClientArea(shot).PictureWidth == ScreenWidth;
}

// Exit's key until the program has ended: its exit code.
std::optional<int> PressExit(const Weston& compositor, ChildProcess& mova) {
  std::optional<int> code;
  for (int attempt = 0; attempt < 3 && !code; ++attempt) {
    compositor.Press(KEY_X);
    code = mova.Wait(5s);
  }
  return code;
}

TEST(Wayland, AClipShowsInAWindowOfThePictureAndTheBarAndWhatWaylandForbidsHarmsNothing) {
  const std::string clip = GeneratedMedia("wayland-red-352x240.avi",
                                          "ffmpeg -v error -y -f lavfi -i color=c=red:size=352x240:rate=25:duration=60 "
                                          "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=60 "
                                          "-c:v mjpeg -q:v 3 -c:a pcm_s16le {OUT}");
  ASSERT_FALSE(clip.empty());
  const Weston compositor;
  ASSERT_TRUE(compositor.Ready) << "weston did not start: " << compositor.Log();
  const fs::path profile = fs::path(TestMediaDir()) / "wayland-profile";
  fs::create_directories(profile / "mova");
  std::ofstream(profile / "mova" / "keymap") << "X Exit\r\nT StayOnTop\r\nEnter FullScreen\r\n";
  auto environment = compositor.ClientEnvironment();
  environment["QADLPROF"] = profile.string();
  ChildProcess mova(MOVA_BINARY, {clip}, environment);

  // Polls the screen until `done` holds for it or the player has ended; the last screen.
  auto waitForScreen = [&](const std::function<bool(const Snapshot&)>& done, std::chrono::seconds timeout) {
    Snapshot shot;
    WaitFor([&] { return done(shot = compositor.Screenshot()) || !mova.Running(); }, timeout);
    return shot;
  };
  auto clipWindow = [](const Snapshot& shot) { return IsWindowOfTheClip(FindClientArea(shot)); };

  const ClientArea before = FindClientArea(waitForScreen(clipWindow, 15s));
  ASSERT_TRUE(IsWindowOfTheClip(before)) << Describe(before) << "; the player's errors: " << mova.Errors();

  // Wayland keeps no window on top: the command must not move or resize it.
  compositor.Press(KEY_T);
  // That the window stays where it is shows only over time.
  std::this_thread::sleep_for(1500ms);
  const ClientArea onTop = FindClientArea(compositor.Screenshot());
  EXPECT_TRUE(IsWindowOfTheClip(onTop)) << Describe(onTop);
  EXPECT_EQ(std::make_pair(onTop.Left, onTop.Top), std::make_pair(before.Left, before.Top)) << "the window moved";
  ASSERT_TRUE(mova.Running()) << mova.Errors();

  // Full screen, and back to the window of the picture and the bar.
  compositor.Press(KEY_ENTER);
  const Snapshot full = waitForScreen(CoversTheScreen, 5s);
  EXPECT_TRUE(CoversTheScreen(full)) << Describe(FindClientArea(full));
  compositor.Press(KEY_ENTER);
  const ClientArea back = FindClientArea(waitForScreen(clipWindow, 5s));
  EXPECT_TRUE(IsWindowOfTheClip(back)) << Describe(back);

  const std::optional<int> code = PressExit(compositor, mova);
  ASSERT_TRUE(code.has_value()) << "still running after the Exit key";
  EXPECT_EQ(*code, 0) << mova.Errors();
}

}  // namespace
}  // namespace mova::test
