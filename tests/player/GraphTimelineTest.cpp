// The time contract every graph answers the engine by, without a framework.
#include <gtest/gtest.h>

#include <optional>

#include "player/GraphTimeline.h"

namespace mova {
namespace {

constexpr int64_t Second = 10'000'000;

TEST(GraphTimeline, AnExactLengthBoundsPositionsAndSeeksAndItsEndHoldsUntilTheNextSeek) {
  TGraphTimeline timeline;
  timeline.Cued(10 * Second);
  EXPECT_FALSE(timeline.LengthIsEstimate());
  EXPECT_EQ(timeline.Position(-5), 0) << "a framework's negative position reads as 0";
  EXPECT_EQ(timeline.Position(3 * Second), 3 * Second);
  EXPECT_EQ(timeline.Position(std::nullopt), 3 * Second) << "no report: the last position stands";
  EXPECT_EQ(timeline.Position(11 * Second), 10 * Second) << "a position past the length (DirectShow's, until it completes)";

  EXPECT_EQ(timeline.SeekTarget(-Second), 0);
  EXPECT_EQ(timeline.SeekTarget(12 * Second), 10 * Second);
  timeline.Sought(timeline.SeekTarget(12 * Second));
  EXPECT_TRUE(timeline.Ended());
  EXPECT_EQ(timeline.Position(2 * Second), 10 * Second) << "sitting on the end is the end, whatever is reported";
  timeline.Sought(Second);
  EXPECT_FALSE(timeline.Ended());
  EXPECT_EQ(timeline.Position(Second), Second);
}

TEST(GraphTimeline, TheStreamsEndIsToldOnceAndLastsUntilASeek) {
  TGraphTimeline timeline;
  timeline.Cued(10 * Second);
  timeline.Position(9 * Second);
  EXPECT_TRUE(timeline.EndReached(9 * Second));
  EXPECT_FALSE(timeline.EndReached(9 * Second)) << "an end already told";
  EXPECT_EQ(timeline.Length(), 10 * Second) << "an exact length stays what it was";
  EXPECT_EQ(timeline.Position(0), 10 * Second) << "a framework that reads 0 after its end";
  timeline.Sought(0);
  EXPECT_EQ(timeline.Position(0), 0);
  EXPECT_TRUE(timeline.EndReached(std::nullopt)) << "played to its end again";
}

TEST(GraphTimeline, AnEstimatedLengthFollowsTheFrameworkUntilTheEndMakesItExact) {
  TGraphTimeline timeline;
  timeline.Cued(std::nullopt);
  EXPECT_TRUE(timeline.LengthIsEstimate());
  EXPECT_FALSE(timeline.HasLength());
  timeline.Estimate(std::nullopt);
  EXPECT_FALSE(timeline.HasLength());
  timeline.Estimate(4 * Second);
  EXPECT_EQ(timeline.Length(), 4 * Second);
  EXPECT_EQ(timeline.Position(5 * Second), 5 * Second) << "an estimate bounds nothing";
  EXPECT_EQ(timeline.SeekTarget(9 * Second), 9 * Second);
  timeline.Sought(9 * Second);
  EXPECT_FALSE(timeline.Ended()) << "a seek past an estimate is no end";

  EXPECT_TRUE(timeline.EndReached(6 * Second));
  EXPECT_FALSE(timeline.LengthIsEstimate());
  EXPECT_EQ(timeline.Length(), 6 * Second) << "where the stream ended";
  EXPECT_EQ(timeline.Position(std::nullopt), 6 * Second);
  timeline.Estimate(8 * Second);
  timeline.LengthRead(8 * Second);
  EXPECT_EQ(timeline.Length(), 6 * Second) << "the end fixed the length for good";
  EXPECT_FALSE(timeline.LengthIsEstimate());
  EXPECT_EQ(timeline.SeekTarget(9 * Second), 6 * Second);
}

TEST(GraphTimeline, AnExactLengthThatChangesWhilePlayingWasAnEstimate) {
  TGraphTimeline timeline;
  timeline.Cued(10 * Second);
  timeline.LengthRead(10 * Second);
  EXPECT_FALSE(timeline.LengthIsEstimate());
  timeline.LengthRead(12 * Second);
  EXPECT_TRUE(timeline.LengthIsEstimate());
  timeline.Estimate(12 * Second);
  EXPECT_EQ(timeline.Length(), 12 * Second);

  TGraphTimeline guessed;
  guessed.Cued(3 * Second, true);  // a length the framework itself calls a guess
  EXPECT_TRUE(guessed.LengthIsEstimate());
  EXPECT_EQ(guessed.Length(), 3 * Second);
}

TEST(GraphTimeline, AStoppedGraphKeepsItsPositionAndStoppedAtTheEndSitsThere) {
  TGraphTimeline timeline;
  timeline.Cued(10 * Second);
  timeline.Position(4 * Second);
  timeline.Stopped(std::nullopt);
  EXPECT_EQ(timeline.Position(0), 4 * Second) << "a framework that reads 0 once stopped";
  timeline.Resumed();
  EXPECT_EQ(timeline.Position(5 * Second), 5 * Second);
  timeline.Stopped(6 * Second);
  timeline.Sought(Second);
  EXPECT_EQ(timeline.Position(Second), Second) << "a seek ends the hold";

  timeline.Stopped(10 * Second);
  EXPECT_TRUE(timeline.Ended());
  EXPECT_EQ(timeline.Position(0), 10 * Second);
}

TEST(GraphTimeline, RatesStayInRangeAndStepsStopAtTheEndWhichTheyReachOnce) {
  TGraphTimeline timeline;
  EXPECT_EQ(timeline.Rate(), 1.0);
  EXPECT_EQ(timeline.SetRate(0.1), TGraphTimeline::MinRate);
  EXPECT_EQ(timeline.SetRate(8.0), TGraphTimeline::MaxRate);
  EXPECT_EQ(timeline.SetRate(1.5), 1.5);

  timeline.Cued(Second);
  timeline.Sought(Second - 600'000);
  EXPECT_FALSE(timeline.Stepped(400'000));
  EXPECT_EQ(timeline.Position(std::nullopt), Second - 200'000);
  EXPECT_TRUE(timeline.Stepped(400'000)) << "the step onto the length is the end";
  EXPECT_EQ(timeline.Position(std::nullopt), Second);
  EXPECT_FALSE(timeline.Stepped(400'000));
  EXPECT_FALSE(timeline.EndReached(Second)) << "the framework's own end after it is not new";
}

}  // namespace
}  // namespace mova
