#include "e2e/DisplaySupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/GeneratedMedia.h"

namespace mova::test {

using namespace std::chrono_literals;

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

std::string ProfileRoot(const std::string& name, const std::string& keymap) {
  const std::filesystem::path root = std::filesystem::path(TestMediaDir()) / ("e2e-profile-" + name);
  std::filesystem::create_directories(root / "mova");
  std::ofstream(root / "mova" / "keymap") << keymap;
  return root.string();
}

std::vector<std::string> Windows(pid_t pid, const std::string& pattern) {
  std::istringstream ids(
      Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " --name \"" + pattern + "\"", 5));
  std::vector<std::string> result;
  for (std::string id; ids >> id;) result.push_back(id);
  return result;
}

std::vector<std::string> VisibleWindows(pid_t pid) {
  std::istringstream ids(Shell("xdotool search --onlyvisible --pid " + std::to_string(pid), 5));
  std::vector<std::string> result;
  for (std::string id; ids >> id;) result.push_back(id);
  return result;
}

std::string Stacks(pid_t pid) {
  // A player that does not answer is shown where each of its threads waits.
  return Shell("gdb -p " + std::to_string(pid) +
                   " -batch -nx -ex \"set pagination off\" -ex \"thread apply all bt 25\" 2>&1"
                   " | grep -E \"^(Thread|#)\"",
               60);
}

Player::Player(std::vector<std::string> arguments, std::map<std::string, std::string> environment)
    : Arguments(std::move(arguments)), Environment(std::move(environment)) {
  Process = std::make_unique<ChildProcess>(MOVA_BINARY, Arguments, Environment);
}

bool Player::RestartIfRefused() {
  if (Process->Running() || Process->Errors().find("could not connect") == std::string::npos || Restarts >= 3)
    return false;
  ++Restarts;
  Process = std::make_unique<ChildProcess>(MOVA_BINARY, Arguments, Environment);
  return true;
}

std::vector<std::string> Player::WaitForWindows(const std::string& pattern, size_t count,
                                                std::chrono::seconds timeout) {
  std::vector<std::string> found;
  if (WaitFor([&] {
        found = Windows(Process->Pid(), pattern);
        if (found.size() >= count) return true;
        RestartIfRefused();
        return false;
      }, timeout))
    return found;
  ADD_FAILURE() << "no window \"" << pattern << "\"; the process's windows: "
                << Shell("xdotool search --all --pid " + std::to_string(Process->Pid()) + " --name . getwindowname %@")
                << "; its errors: " << Process->Errors() << "\n" << Stacks(Process->Pid());
  return {};
}

// The display refuses a connection now and then, xwininfo's and xdotool's
// too: a question that got no answer is asked again.
std::pair<int, int> Size(const std::string& id) {
  int width = -1;
  int height = -1;
  for (int attempt = 0; attempt < 3 && width < 0; ++attempt) {
    std::istringstream info(Shell("xwininfo -id " + id));
    for (std::string line; std::getline(info, line);) {
      std::istringstream words(line);
      std::string key;
      words >> key;
      if (key == "Width:") words >> width;
      if (key == "Height:") words >> height;
    }
  }
  return {width, height};
}

std::string Title(const std::string& id) {
  std::string title;
  for (int attempt = 0; attempt < 3 && title.empty(); ++attempt) title = Shell("xdotool getwindowname " + id, 5);
  while (!title.empty() && title.back() == '\n') title.pop_back();
  return title;
}

namespace {

Snapshot CaptureOnce(const std::string& id) {
  return SnapshotFromPpm(Shell("import -window " + id + " -depth 8 ppm:-", 10));
}

}  // namespace

Snapshot Capture(const std::string& id) {
  Snapshot shot;
  for (int attempt = 0; attempt < 3 && shot.Width == 0; ++attempt) shot = CaptureOnce(id);
  return shot;
}

void Key(const std::string& window, const std::string& key) {
  // The display refuses a connection now and then, xdotool's too: a press
  // that did not reach it is made again.
  for (int attempt = 0; attempt < 3; ++attempt)
    if (Shell("xdotool key --window " + window + " " + key + " && echo sent") == "sent\n") return;
}

void MoveToCorner(const std::string& id, int width, int height) {
  std::istringstream screen(Shell("xdotool getdisplaygeometry"));
  int screenWidth = 0;
  int screenHeight = 0;
  screen >> screenWidth >> screenHeight;
  Shell("xdotool windowmove " + id + " " + std::to_string(screenWidth - width - 10) + " " +
        std::to_string(screenHeight - height - 10));
}

std::string Clip() {
  return GeneratedMedia("e2e-clip-320x240.avi",
                        "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=3 "
                        "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 "
                        "-c:v mjpeg -q:v 5 -c:a pcm_s16le -f avi {OUT}");
}

}  // namespace mova::test
