// What the desktop is told of playback and what its media controls ask:
// the screen held exactly while a picture plays, the controls' state and
// its changes, their requests carried out as the keys are, and the media
// keys and a remote's buttons through the key map.
#include <filesystem>
#include <fstream>

#include "app/DesktopPresence.h"
#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

// Records what the core tells the desktop.
class RecordingSession final : public IDesktopSession {
 public:
  void KeepScreenOn(bool on) override { Screen.push_back(on); }
  void PublishControls(const TMediaControlsState& state, const std::vector<std::string>& changed) override {
    Shown = state;
    Changed = changed;
    ++Publications;
  }
  void AnnounceSeek(int64_t position) override { Seeks.push_back(position); }
  std::string CoverFile() const override { return Cover; }

  std::vector<bool> Screen;
  TMediaControlsState Shown;
  std::vector<std::string> Changed;
  int Publications = 0;
  std::vector<int64_t> Seeks;
  std::string Cover;
};

class DesktopPresenceTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    presence = std::make_unique<TDesktopPresence>(session, *window, program);
    program.Presence = presence.get();
  }
  void TearDown() override {
    program.Presence = nullptr;
    presence.reset();
    MainWindowTest::TearDown();
  }
  // Opens a file and refreshes, as start-up and the playback ticks do.
  void Open(int32_t width, int32_t height, int32_t durationMs, const std::string& name = "clip.avi") {
    OpenVideo(width, height, durationMs, name);
    window->UpdateStatus();
  }
  void OpenOther(const std::string& name) {
    window->OpenFile(MediaFile(name));
    window->UpdateStatus();
  }
  void Ask(TControlAction action, int64_t time = 0, double value = 0.0, const std::string& text = "") {
    session.OnRequest(TControlRequest{action, time, value, text});
  }
  RecordingSession session;
  std::unique_ptr<TDesktopPresence> presence;
};

TEST_F(DesktopPresenceTest, TheScreenIsHeldExactlyWhileAPicturePlays) {
  media.Script.FrameTime = 0.04;
  Open(320, 240, 10000);
  EXPECT_EQ(session.Screen, std::vector<bool>{true});
  window->ExecuteCommand(CmdPause);
  window->ExecuteCommand(CmdPause);
  window->ExecuteCommand(CmdStop);
  EXPECT_EQ(session.Screen, (std::vector<bool>{true, false, true, false}));
  window->ExecuteCommand(CmdPause);  // plays from the stop
  SetPositionMs(10000);               // the end
  window->UpdateStatus();
  EXPECT_EQ(Player().State, PlayerState::Stopped);
  EXPECT_EQ(session.Screen, (std::vector<bool>{true, false, true, false, true, false}));

  // Sound alone, or sound with its cover, lets the screen blank.
  media.Script.Width = media.Script.Height = 0;
  OpenOther("song.mp3");
  media.Script.Width = media.Script.Height = 300;
  media.Script.Facts.Cover = true;
  OpenOther("song-with-cover.mp3");
  ASSERT_EQ(Player().State, PlayerState::Playing);
  EXPECT_EQ(session.Screen.size(), 6u);

  // Held when the program ends: let go.
  media.Script.Facts.Cover = false;
  Open(320, 240, 10000, "film.avi");
  ASSERT_EQ(session.Screen.back(), true);
  presence.reset();
  program.Presence = nullptr;
  EXPECT_EQ(session.Screen.back(), false);
}

TEST_F(DesktopPresenceTest, TheControlsAreToldWhatChangedAndWhereASeekWent) {
  media.Script.Facts.Title = "A Film";
  Open(320, 240, 60000, "two words.avi");
  EXPECT_EQ(session.Shown.Status, "Playing");
  EXPECT_EQ(session.Shown.Title, "A Film");
  EXPECT_EQ(session.Shown.Length, 60000000);
  EXPECT_NE(session.Shown.Url.find("two%20words.avi"), std::string::npos) << session.Shown.Url;
  EXPECT_EQ(session.Shown.Volume, 1.0);
  const std::string firstTrack = session.Shown.TrackId;

  window->ExecuteCommand(CmdPause);
  EXPECT_EQ(session.Shown.Status, "Paused");
  EXPECT_EQ(session.Changed, std::vector<std::string>{"PlaybackStatus"});
  const int publications = session.Publications;
  window->UpdateStatus();
  EXPECT_EQ(session.Publications, publications) << "nothing changed, nothing told";
  window->ExecuteCommand(CmdVolumeDown);
  EXPECT_EQ(session.Changed, std::vector<std::string>{"Volume"});
  EXPECT_DOUBLE_EQ(session.Shown.Volume, 0.95);
  window->ExecuteCommand(CmdMute);
  EXPECT_EQ(session.Shown.Volume, 0.0);

  SetPositionMs(20000);
  window->ExecuteCommand(CmdSeekForward10);
  EXPECT_EQ(session.Seeks, std::vector<int64_t>{30000000});

  // A cover goes to the controls as a file, once they have a place for it.
  media.Script.Facts.Cover = true;
  OpenOther("song.mp3");
  EXPECT_EQ(session.Shown.ArtUrl, "");
  session.Cover = ::testing::TempDir() + "cover-of-song.png";
  std::filesystem::remove(session.Cover);
  window->UpdateStatus();
  EXPECT_EQ(session.Shown.ArtUrl, FileUrl(session.Cover));
  EXPECT_TRUE(std::filesystem::exists(session.Cover));
  media.Script.Facts.Cover = false;

  media.Script.Facts.Title.clear();
  OpenOther("other.avi");
  EXPECT_EQ(session.Shown.Title, "other.avi") << "without a title tag, the file's name";
  EXPECT_NE(session.Shown.TrackId, firstTrack);
  EXPECT_NE(std::find(session.Changed.begin(), session.Changed.end(), "Metadata"), session.Changed.end());
}

TEST_F(DesktopPresenceTest, RequestsAreCarriedOutAsTheKeysAre) {
  Open(320, 240, 60000);
  Ask(TControlAction::Play);
  EXPECT_EQ(Player().State, PlayerState::Playing) << "play while playing changes nothing";
  Ask(TControlAction::Pause);
  Ask(TControlAction::Pause);
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(window->StateText, " PAUSE ") << "the bar follows";
  Ask(TControlAction::PlayPause);
  EXPECT_EQ(Player().State, PlayerState::Playing);
  Ask(TControlAction::Stop);
  EXPECT_EQ(Player().State, PlayerState::Stopped);
  Ask(TControlAction::Pause);
  EXPECT_EQ(Player().State, PlayerState::Stopped) << "pause does not start a stopped film";
  Ask(TControlAction::Play);
  EXPECT_EQ(Player().State, PlayerState::Playing);

  SetPositionMs(10000);
  Ask(TControlAction::Seek, 5000000);
  EXPECT_EQ(LastSeekMs(), 15000);
  Ask(TControlAction::Seek, -30000000);
  EXPECT_EQ(LastSeekMs(), 0) << "no further back than the start";
  const size_t seeks = media.Last().Seeks.size();
  Ask(TControlAction::SetPosition, 40000000, 0.0, "/org/mova/track/elsewhere");
  Ask(TControlAction::SetPosition, 70000000, 0.0, session.Shown.TrackId);
  EXPECT_EQ(media.Last().Seeks.size(), seeks) << "another track, or past the end: nothing";
  Ask(TControlAction::SetPosition, 40000000, 0.0, session.Shown.TrackId);
  EXPECT_EQ(LastSeekMs(), 40000);

  Ask(TControlAction::SetVolume, 0, 0.454);
  EXPECT_EQ(window->Level, 45);
  EXPECT_EQ(media.Last().Volume, VolumeOfLevel(45));
  Ask(TControlAction::SetVolume, 0, 7.0);
  EXPECT_EQ(window->Level, 100);
  Ask(TControlAction::SetRate, 0, 9.0);
  EXPECT_EQ(Player().Rate, 4.0);
  Ask(TControlAction::SetRate, 0, 0.0);
  EXPECT_EQ(Player().Rate, 4.0) << "a rate of 0 is refused";

  Ask(TControlAction::OpenUri, 0, 0.0, "http://example.org/film.avi");
  EXPECT_EQ(Player().FileName, MediaFile("clip.avi"));
  const std::string other = MediaFile("by uri.avi");
  Ask(TControlAction::OpenUri, 0, 0.0, FileUrl(other));
  EXPECT_EQ(Player().FileName, other);
}

TEST(FileUrls, PathsGoThereAndBack) {
  EXPECT_EQ(FileUrl("/films/a b/é#1.mkv"), "file:///films/a%20b/%C3%A9%231.mkv");
  EXPECT_EQ(PathOfFileUrl("file:///films/a%20b/%C3%A9%231.mkv"), "/films/a b/é#1.mkv");
  EXPECT_EQ(PathOfFileUrl("file://localhost/films/x.mkv"), "/films/x.mkv");
  EXPECT_EQ(FileUrl("C:\\Films\\a b.avi"), "file:///C:/Films/a%20b.avi");
  EXPECT_EQ(PathOfFileUrl("file:///C:/Films/a%20b.avi"), "C:\\Films\\a b.avi");
  for (const char* refused : {"http://host/x.mkv", "file://", "file://host/x.mkv", "file:///a%2", "file:///a%zz",
                              "file:///a%00b"})
    EXPECT_FALSE(PathOfFileUrl(refused)) << refused;
}

TEST_F(DesktopPresenceTest, MediaKeysAndARemotesButtonsGoThroughTheKeyMap) {
  program.Keys = std::make_unique<TKeyTable>(CommandTable, AllDefaultBindings, HostSystem(),
                                             ::testing::TempDir() + "no-such-keymap");
  Open(320, 240, 60000);
  auto appCommand = [&](uint32_t command) {
    FormMessage message{WM::APPCOMMAND, 0, static_cast<MessageParam>(command) << 16};
    window->HandleMessage(message);
    return message.Result;
  };
  EXPECT_EQ(appCommand(14), 1);  // APPCOMMAND_MEDIA_PLAY_PAUSE
  EXPECT_EQ(Player().State, PlayerState::Paused);
  EXPECT_EQ(appCommand(46 | 0x8000), 1);  // APPCOMMAND_MEDIA_PLAY from a key (FAPPCOMMAND_KEY)
  EXPECT_EQ(Player().State, PlayerState::Playing);
  EXPECT_EQ(appCommand(8), 1);  // APPCOMMAND_VOLUME_MUTE
  EXPECT_TRUE(window->Mute);
  EXPECT_EQ(appCommand(1), 0);  // APPCOMMAND_BROWSER_BACKWARD: none of Mova's
  EXPECT_TRUE(Defaulted(WM::APPCOMMAND));
  // The menu's items keep their texts: media keys are not written there.
  EXPECT_EQ(program.Keys->MenuText(CmdPause), "&Play / Pause\tSpace");
  EXPECT_EQ(program.Keys->MenuText(CmdMute), "&Mute\tM");
}

}  // namespace
}  // namespace mova::test
