// The display kept awake on Windows while a picture plays, and let go.
#include "platform/win32/Win32DesktopSession.h"

#include <gtest/gtest.h>

#include <vector>

namespace mova {
namespace {

TEST(Win32DesktopSession, TheExecutionStateHoldsTheDisplayOnlyWhileAsked) {
  std::vector<EXECUTION_STATE> calls;
  EXECUTION_STATE answer = ES_CONTINUOUS;
  {
    TWin32DesktopSession session([&](EXECUTION_STATE state) {
      calls.push_back(state);
      return answer;
    });
    session.KeepScreenOn(false);
    EXPECT_TRUE(calls.empty()) << "nothing held, nothing to let go";
    session.KeepScreenOn(true);
    session.KeepScreenOn(true);
    session.KeepScreenOn(false);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED);
    EXPECT_EQ(calls[1], static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
    // Refused, it is asked again at the next change.
    answer = 0;
    session.KeepScreenOn(true);
    answer = ES_CONTINUOUS;
    session.KeepScreenOn(true);
    EXPECT_EQ(calls.size(), 4u);
  }
  // Held when the program ends: let go.
  EXPECT_EQ(calls.back(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST(Win32DesktopSession, TheSystemTakesTheCall) {
  // The thread's state as it was comes back, never 0 for a valid request.
  EXPECT_NE(SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED), 0u);
  EXPECT_NE(SetThreadExecutionState(ES_CONTINUOUS), 0u);
  TWin32DesktopSession session;
  session.KeepScreenOn(true);
  session.KeepScreenOn(false);
}

}  // namespace
}  // namespace mova
