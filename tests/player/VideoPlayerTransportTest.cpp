#include <gtest/gtest.h>

#include "player/PlayerFixture.h"

namespace mova::test {
namespace {

TEST_F(PlayerTest, EveryOperationIsANoOpWhileNothingIsOpen) {
  Player->Play();
  Player->Pause();
  Player->TogglePause();
  Player->Stop();
  Player->Seek(1000);
  Player->SetVolume(-10000);
  EXPECT_EQ(Player->GetPosition(), 0);
  EXPECT_EQ(Player->State, PlayerState::Playing);  // a new player's zero state
  EXPECT_EQ(Timers.Starts, 0);
  EXPECT_TRUE(Platform.Graphs.empty());
  EXPECT_EQ(Ends, 0);
}

TEST_F(PlayerTest, PlayRunsTheGraphAndRestartsTheTimer) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  EXPECT_EQ(Player->State, PlayerState::Playing);
  EXPECT_EQ(graph.Count("Run"), 1);
  ASSERT_EQ(Timers.Running().size(), 1u);
  EXPECT_EQ(Timers.Running()[0].PeriodMs, 100u);
  const uint32_t first = Player->TimerId;
  EXPECT_EQ(first, Timers.Running()[0].Id);

  Player->Play();
  ASSERT_EQ(Timers.Running().size(), 1u) << "the old timer is replaced, not doubled";
  EXPECT_NE(Player->TimerId, first);
  Timers.Tick();
  EXPECT_EQ(Progress, 1);
}

TEST_F(PlayerTest, PauseStopsTheTimerAndOnlyPauseDoes) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  graph.Position = 2'000'000;
  Player->Stop();
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(Timers.Running().size(), 1u) << "stop keeps the status refreshing";
  Timers.Tick();
  EXPECT_EQ(Progress, 1);

  Player->Pause();
  EXPECT_EQ(Player->State, PlayerState::Paused);
  EXPECT_EQ(graph.Calls.back(), "Pause");
  EXPECT_TRUE(Timers.Running().empty());
  EXPECT_EQ(Player->TimerId, 0u);
  Timers.Tick();
  EXPECT_EQ(Progress, 1);
}

TEST_F(PlayerTest, TogglePausePlaysOnlyFromPaused) {
  FakeGraphState& graph = OpenPlain();
  // Stopped: toggling pauses rather than plays.
  Player->TogglePause();
  EXPECT_EQ(Player->State, PlayerState::Paused);
  EXPECT_EQ(graph.Count("Run"), 0);
  Player->TogglePause();
  EXPECT_EQ(Player->State, PlayerState::Playing);
  EXPECT_EQ(Timers.Running().size(), 1u);
  Player->TogglePause();
  EXPECT_EQ(Player->State, PlayerState::Paused);
  EXPECT_TRUE(Timers.Running().empty());
}

TEST_F(PlayerTest, StopReturnsToTheStartAndCuesTheFirstFrame) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  graph.Position = 5'000'000;
  graph.Calls.clear();
  Player->Stop();
  EXPECT_EQ(graph.Calls,
            (std::vector<std::string>{"Stop", "SetPosition 0", "GetCurrentPosition", "StopWhenReady"}));
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(Player->GetPosition(), 0);
}

TEST_F(PlayerTest, SeekConvertsToMediaTimeAndPositionTruncatesToMilliseconds) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  Player->Seek(500);
  EXPECT_EQ(graph.Seeks.back(), 5'000'000);
  EXPECT_EQ(Player->State, PlayerState::Playing) << "a seek keeps the state";

  graph.Position = 5'009'999;  // one unit below 501 ms
  EXPECT_EQ(Player->GetPosition(), 500);
  graph.Position = 5'010'000;
  EXPECT_EQ(Player->GetPosition(), 501);

  Player->Pause();
  Player->Seek(200);
  EXPECT_EQ(Player->State, PlayerState::Paused);
}

TEST_F(PlayerTest, NegativeSeeksArePassedOnUnchanged) {
  FakeGraphState& graph = OpenPlain();
  Player->Seek(-1500);
  EXPECT_EQ(graph.Seeks.back(), -15'000'000);
  EXPECT_EQ(Ends, 0);
}

TEST_F(PlayerTest, SeekingPastTheEndLandsOnItAndEndsOnce) {
  FakeGraphState& graph = OpenPlain();  // 1 s
  Player->Play();
  graph.Calls.clear();
  Player->Seek(5000);
  EXPECT_EQ(graph.Seeks.back(), 10'000'000);
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(graph.Count("Stop"), 1);
  EXPECT_EQ(Ends, 1);

  // While the position stays at the end, every tick's position read ends again.
  ProgressReadsPosition = true;
  Timers.Tick();
  Timers.Tick();
  EXPECT_EQ(Ends, 3);
  EXPECT_EQ(Progress, 2);
}

TEST_F(PlayerTest, ReachingTheEndStopsAndNotifiesOncePerPositionRead) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  ProgressReadsPosition = true;
  graph.Position = 9'999'999;
  Timers.Tick();
  EXPECT_EQ(Ends, 0);
  EXPECT_EQ(Player->State, PlayerState::Playing);

  graph.Position = graph.Duration;
  EXPECT_EQ(Player->GetPosition(), 1000);
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(Ends, 1);
  EXPECT_EQ(Player->GetPosition(), 1000);
  EXPECT_EQ(Ends, 2);
}

TEST_F(PlayerTest, MediaWithoutDurationEndsOnEveryPositionRead) {
  Platform.Script.Duration = 0;
  OpenPlain();
  Player->Play();  // at the end and stopped: the play seeks to 0, which is the end again
  EXPECT_EQ(Ends, 1);
  Player->GetPosition();
  Player->GetPosition();
  EXPECT_EQ(Ends, 3);
  EXPECT_EQ(Player->State, PlayerState::Stopped);
}

TEST_F(PlayerTest, PlayAfterTheEndStartsFromZeroButPlayAfterPauseResumes) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  graph.Position = graph.Duration;
  Player->GetPosition();
  ASSERT_EQ(Player->State, PlayerState::Stopped);
  Player->Play();
  EXPECT_EQ(graph.Seeks, (std::vector<int64_t>{0}));
  EXPECT_EQ(graph.Position, 0);
  EXPECT_EQ(Player->State, PlayerState::Playing);

  graph.Position = 3'000'000;
  Player->Pause();
  Player->Play();
  EXPECT_EQ(graph.Seeks.size(), 1u);
  EXPECT_EQ(graph.Position, 3'000'000);
}

TEST_F(PlayerTest, RepeatFromInsideTheTickRestartsTheTimer) {
  FakeGraphState& graph = OpenPlain();
  ProgressReadsPosition = true;
  RepeatOnEnd = true;
  Player->Play();
  graph.Position = graph.Duration;
  Timers.Tick();
  EXPECT_EQ(Ends, 1);
  EXPECT_EQ(Player->State, PlayerState::Playing);
  EXPECT_EQ(graph.Position, 0);
  EXPECT_EQ(Timers.Running().size(), 1u);
  EXPECT_EQ(Timers.Running()[0].Id, Player->TimerId);
}

TEST_F(PlayerTest, AnEndThatTheRepeatCannotLeaveNotifiesOncePerTickNotFromInsideItself) {
  // A still picture (duration 0), or a graph whose seek does not move: the
  // repeat handler's seek and play land on the end again.
  for (const bool stillPicture : {true, false}) {
    SCOPED_TRACE(stillPicture ? "duration 0" : "seek does not move");
    Platform.Script.Duration = stillPicture ? 0 : 10'000'000;
    Platform.Script.SeekMovesPosition = stillPicture;
    FakeGraphState& graph = OpenPlain();
    ProgressReadsPosition = true;
    RepeatOnEnd = true;
    Player->Play();
    graph.Position = graph.Duration;
    Ends = 0;
    Timers.Tick();
    EXPECT_EQ(Ends, 1) << "the end notified itself again";
    Timers.Tick();
    EXPECT_EQ(Ends, 2) << "the next tick notifies again";
    EXPECT_EQ(Timers.Running().size(), 1u);
  }
}

TEST_F(PlayerTest, AnEstimatedLengthFollowsTheGraphAndOnlyTheStreamsEndEndsIt) {
  Platform.Script.HasDuration = false;  // a raw stream: no length at opening
  Platform.Script.DurationEstimate = true;
  FakeGraphState& graph = OpenPlain();
  ProgressReadsPosition = true;
  Player->Play();
  graph.Position = 5'000'000;
  Timers.Tick();
  EXPECT_EQ(Player->DurationMs, 500) << "never less than what has played";
  graph.HasDuration = true;  // the parser's first estimate, already passed
  graph.Duration = 4'000'000;
  Timers.Tick();
  EXPECT_EQ(Player->State, PlayerState::Playing);
  EXPECT_EQ(Ends, 0);
  graph.Duration = 32'000'000;
  Timers.Tick();
  EXPECT_EQ(Player->DurationMs, 3200);
  Player->Seek(9000);
  EXPECT_EQ(graph.Seeks.back(), 32'000'000) << "a seek goes no further than the length known";

  graph.Duration = 40'000'000;  // where the stream really ends
  graph.EndStream();
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(Ends, 1);
  EXPECT_EQ(Player->DurationMs, 4000);
}

TEST_F(PlayerTest, TheEndIsNoticedWithoutATimer) {
  Timers.FailStart = true;
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  ASSERT_EQ(Player->TimerId, 0u);
  EXPECT_EQ(Player->State, PlayerState::Playing);

  graph.EndStream();
  EXPECT_EQ(Player->State, PlayerState::Stopped);
  EXPECT_EQ(graph.Calls.back(), "Stop");
  EXPECT_EQ(Ends, 1);
  // An end already handled is not reported again.
  graph.EndStream();
  EXPECT_EQ(Ends, 1);
}

TEST_F(PlayerTest, AStaleEndOfStreamAfterASeekChangesNothing) {
  FakeGraphState& graph = OpenPlain();
  Player->Play();
  graph.Position = 4'000'000;
  ASSERT_TRUE(graph.EndOfStreamHandler);
  graph.EndOfStreamHandler();  // the stream ended earlier, but the position has moved since
  EXPECT_EQ(Player->State, PlayerState::Playing);
  EXPECT_EQ(Ends, 0);
}

TEST_F(PlayerTest, AnEndHandlerThatClosesTheFileLeavesThePlayerSafe) {
  FakeGraphState& graph = OpenPlain();
  Player->OnEndReached = [this] { Player->Close(); };
  Player->Play();
  graph.Position = graph.Duration;
  Player->GetPosition();
  EXPECT_FALSE(Player->Opened);
  EXPECT_TRUE(graph.Destroyed);

  Platform.Script.Duration = 0;
  FakeGraphState& second = OpenPlain();
  Player->Play();  // the seek from the end closes the file before the run
  EXPECT_FALSE(Player->Opened);
  EXPECT_EQ(second.Count("Run"), 0);
}

}  // namespace
}  // namespace mova::test
