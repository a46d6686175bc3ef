#pragma once
// The Windows desktop: the display and the system kept awake, through the
// window thread's execution state, while a picture plays. Windows' own
// media controls are not offered (they need WinRT); its media keys and a
// remote's buttons reach the window as keys and WM_APPCOMMAND.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/DesktopSession.h"

namespace mova {

class TWin32DesktopSession final : public IDesktopSession {
 public:
  using TSetExecutionState = std::function<EXECUTION_STATE(EXECUTION_STATE)>;
  // `setState` stands for SetThreadExecutionState (tests give their own).
  explicit TWin32DesktopSession(TSetExecutionState setState = nullptr);
  // Lets the display sleep again.
  ~TWin32DesktopSession() override;

  void KeepScreenOn(bool on) override;
  void PublishControls(const TMediaControlsState&, const std::vector<std::string>&) override {}
  void AnnounceSeek(int64_t) override {}
  std::string CoverFile() const override { return {}; }

 private:
  TSetExecutionState SetState;
  bool Held = false;
};

}  // namespace mova
