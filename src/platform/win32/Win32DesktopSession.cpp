#include "platform/win32/Win32DesktopSession.h"

namespace mova {

TWin32DesktopSession::TWin32DesktopSession(TSetExecutionState setState) : SetState(std::move(setState)) {
  if (!SetState) SetState = [](EXECUTION_STATE state) { return SetThreadExecutionState(state); };
}

TWin32DesktopSession::~TWin32DesktopSession() { KeepScreenOn(false); }

void TWin32DesktopSession::KeepScreenOn(bool on) {
  if (on == Held) return;
  // Continuous: the state holds for the thread until it is set again.
  const EXECUTION_STATE state = on ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
  // A refusal (0) leaves things as they were; the next change asks again.
  if (SetState(state) != 0) Held = on;
}

}  // namespace mova
