// The installed program as a desktop meets it. The fixture Desktop.Install
// has installed the build twice: with `--prefix HOME/.local`, as a user
// installs into their home, and with `DESTDIR=HOME/stage --prefix /usr`, as a
// package is staged. HOME is a folder of the build's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
namespace fs = std::filesystem;

const std::string Home = MOVA_INSTALL_HOME;
const std::string Local = Home + "/.local";
const std::string Staged = Home + "/stage/usr";

// A desktop of the installing user's alone: their own data and configuration
// folders, the system's MIME database, the generic desktop (xdg-utils then
// read the freedesktop.org files themselves) on the test's X display, and the
// installed bin first.
std::string DesktopEnvironment() {
  const char* path = std::getenv("PATH");
  return "env -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID -u MATE_DESKTOP_SESSION_ID "
         "-u WAYLAND_DISPLAY "
         "XDG_CURRENT_DESKTOP=X-Generic HOME=" + Home + " XDG_DATA_HOME=" + Local + "/share XDG_CONFIG_HOME=" +
         Home + "/.config XDG_CONFIG_DIRS=" + Home + "/xdg XDG_DATA_DIRS=/usr/share PATH=" + Local + "/bin:" +
         (path ? path : "/usr/bin:/bin") + " ";
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The value of `key` in the desktop entry's main group.
std::string EntryValue(const std::string& entry, const std::string& key) {
  std::ifstream in(entry);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "";
}

std::vector<std::string> MimeTypes(const std::string& entry) {
  std::vector<std::string> types;
  std::istringstream list(EntryValue(entry, "MimeType"));
  for (std::string type; std::getline(list, type, ';');)
    if (!type.empty()) types.push_back(type);
  return types;
}

TEST(Installed, TheDesktopEntryAndTheMetainfoPassTheirValidatorsAndTheIconHasEverySize) {
  const std::string entry = Staged + "/share/applications/mova.desktop";
  ASSERT_TRUE(fs::exists(entry));
  EXPECT_EQ(Shell("desktop-file-validate " + entry + " 2>&1; echo rc=$?", 30), "rc=0\n");
  const std::string metainfo = Staged + "/share/metainfo/org.example.mova.metainfo.xml";
  ASSERT_TRUE(fs::exists(metainfo));
  const std::string verdict = Shell("appstreamcli validate --no-net --no-color " + metainfo + " 2>&1; echo rc=$?", 60);
  EXPECT_NE(verdict.find("rc=0\n"), std::string::npos) << verdict;
  // The entry names what was installed: the program in bin, the theme's icon.
  EXPECT_EQ(EntryValue(entry, "Exec"), "mova %f");
  EXPECT_TRUE(fs::exists(Staged + "/bin/mova"));
  EXPECT_EQ(EntryValue(entry, "Icon"), "mova");
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const std::string icon = Staged + "/share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                             "/apps/mova.png";
    EXPECT_EQ(Shell("identify -format \"%w %h\" " + icon), std::to_string(size) + " " + std::to_string(size)) << icon;
  }
  EXPECT_TRUE(fs::exists(Staged + "/share/icons/hicolor/scalable/apps/mova.svg"));
  // A staged install leaves the system's caches alone; one into a home updates them.
  EXPECT_FALSE(fs::exists(Staged + "/share/applications/mimeinfo.cache"));
  EXPECT_TRUE(fs::exists(Local + "/share/applications/mimeinfo.cache"));
}

TEST(Installed, TheManualPageRendersWithoutWarnings) {
  const std::string page = Staged + "/share/man/man1/mova.1.gz";
  ASSERT_TRUE(fs::exists(page));
  // groff's -ww turns on every warning; any of them goes to the standard error.
  EXPECT_EQ(Shell("MANROFFOPT=-ww MANWIDTH=80 man -l " + page + " 2>&1 >/dev/null; echo rc=$?", 30), "rc=0\n");
  const std::string text = Shell("MANWIDTH=80 man -l " + page + " 2>/dev/null", 30);
  for (const char* heading : {"SYNOPSIS", "OPTIONS", "THE PROFILE FOLDER", "MOUSE", "KEY MAP", "WAYLAND",
                              "ENVIRONMENT", "FILES", "mova [FILE | /prof=FOLDER]", "QADLPROF"})
    EXPECT_NE(text.find(heading), std::string::npos) << heading;
}

TEST(Installed, MovaIsTheDefaultForEveryTypeItsEntryLists) {
  const std::vector<std::string> types = MimeTypes(Local + "/share/applications/mova.desktop");
  ASSERT_GE(types.size(), 20u);
  for (const std::string& type : types)
    EXPECT_EQ(Shell(DesktopEnvironment() + "xdg-mime query default " + type, 10), "mova.desktop\n") << type;
}

// The visible windows titled to match `pattern`, whoever owns them.
std::vector<std::string> WindowsNamed(const std::string& pattern) {
  std::istringstream ids(Shell("xdotool search --onlyvisible --name \"" + pattern + "\"", 5));
  std::vector<std::string> found;
  for (std::string id; ids >> id;) found.push_back(id);
  return found;
}

TEST(Installed, XdgOpenPlaysAClipInAMovaWindowThatExitEnds) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  const fs::path folder = fs::path(TestMediaDir()) / "xdg-open";
  fs::create_directories(folder);
  const std::string clip = (folder / "clip.avi").string();
  if (!fs::exists(clip))
    Shell("ffmpeg -v error -y -f lavfi -i testsrc=size=352x240:rate=25:duration=4 -f lavfi -i sine=duration=4 "
          "-c:v mjpeg -c:a pcm_s16le " + clip + ".part.avi && mv " + clip + ".part.avi " + clip, 60);
  ASSERT_TRUE(fs::exists(clip));

  const std::string profile = ProfileRoot("xdg-open", "X Exit\r\n");
  ChildProcess open("/bin/sh", {"-c", DesktopEnvironment() + "QADLPROF=" + profile + " xdg-open " + clip});
  std::vector<std::string> found;
  WaitFor([&] { return !(found = WindowsNamed("^clip\\.avi \\(")).empty() || !open.Running(); }, 20s);
  ASSERT_EQ(found.size(), 1u) << "xdg-open: " << open.Errors();
  EXPECT_EQ(Title(found[0]), "clip.avi (352x240 25.000fps) 100% - Mova");
  // It is the installed program that xdg-open started.
  const std::string pid = Trimmed(Shell("xdotool getwindowpid " + found[0]));
  std::error_code error;
  EXPECT_EQ(fs::read_symlink("/proc/" + pid + "/exe", error), fs::path(Local + "/bin/mova"));

  std::optional<int> code;
  for (int attempt = 0; attempt < 3 && !code; ++attempt) {
    Key(found[0], "x");
    code = open.Wait(5s);
  }
  ASSERT_TRUE(code.has_value()) << "still running after the Exit key";
  EXPECT_EQ(*code, 0) << "xdg-open reports the program's failure: " << open.Errors();
}

}  // namespace
}  // namespace mova::test
