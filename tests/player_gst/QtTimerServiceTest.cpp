#include <gtest/gtest.h>

#include <chrono>

#include "platform/qt/QtTimerService.h"
#include "player_gst/GstTestSupport.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

TEST(QtTimerServiceTest, TicksPeriodicallyUntilKilled) {
  TQtTimerService timers;
  int ticks = 0;
  const uint32_t id = timers.StartPeriodic(100, [&] { ++ticks; });
  ASSERT_NE(id, 0u);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 3; }, 2s));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 280ms);
  timers.Kill(id);
  const int atKill = ticks;
  Spin(250ms);
  EXPECT_EQ(ticks, atKill);
  EXPECT_EQ(timers.RunningCount(), 0u);
  timers.Kill(id);  // again, and unknown ids: ignored
  timers.Kill(0);
}

TEST(QtTimerServiceTest, ATickMayKillItsOwnTimerAndStartAnother) {
  TQtTimerService timers;
  int firstTicks = 0;
  int secondTicks = 0;
  uint32_t first = 0;
  uint32_t second = 0;
  first = timers.StartPeriodic(20, [&] {
    ++firstTicks;
    timers.Kill(first);
    second = timers.StartPeriodic(20, [&] { ++secondTicks; });
  });
  ASSERT_TRUE(WaitUntil([&] { return secondTicks >= 2; }, 2s));
  EXPECT_EQ(firstTicks, 1);
  EXPECT_NE(second, first);
  EXPECT_EQ(timers.RunningCount(), 1u);
}

TEST(QtTimerServiceTest, DestroyingTheServiceStopsItsTimers) {
  int ticks = 0;
  {
    TQtTimerService timers;
    timers.StartPeriodic(10, [&] { ++ticks; });
  }
  Spin(100ms);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace mova::test
