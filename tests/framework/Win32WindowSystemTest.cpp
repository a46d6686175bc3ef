// The Win32 window system and the multimedia timer on a real (Wine's) desktop:
// the binding through the window property, the accelerator table in the
// loop, and ticks handed to the window thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "framework/SForm.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32TimerService.h"
#include "platform/win32/Win32WindowSystem.h"

namespace mova::test {
namespace {

class RecordingForm : public TSForm {
 public:
  using TSForm::TSForm;
  std::vector<uint32_t> Messages;
  std::vector<uint32_t> Commands;
  std::vector<uint32_t> KeysDown;
  WindowHandle HandleAtCreate = 0;

  void HandleMessage(FormMessage& message) override {
    Messages.push_back(message.Msg);
    if (message.Msg == WM::CREATE) HandleAtCreate = Handle;
    if (message.Msg == WM::COMMAND) Commands.push_back(LoWord(message.WParam));
    if (message.Msg == WM::KEYDOWN) KeysDown.push_back(message.WParam);
    TSForm::HandleMessage(message);
  }
  bool Saw(uint32_t msg) const {
    for (uint32_t seen : Messages)
      if (seen == msg) return true;
    return false;
  }
};

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

TEST(Win32WindowSystem, AFormIsBoundFromCreationOnAndASecondFormOfTheSameCaptionGetsNoWindow) {
  TWin32WindowSystem windows(Instance());
  RecordingForm form(windows, "MovaBindingTest");
  form.CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
  ASSERT_NE(form.Handle, 0u);
  EXPECT_EQ(form.HandleAtCreate, form.Handle);
  EXPECT_FALSE(form.Saw(WM::NCCREATE));
  EXPECT_TRUE(form.Saw(WM::CREATE));
  EXPECT_NE(GetPropA(ToHwnd(form.Handle), "OBJECT"), nullptr);
  EXPECT_EQ(windows.GetWindowCaption(form.Handle), "MovaBindingTest");

  RecordingForm twin(windows, "MovaBindingTest");
  twin.CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
  EXPECT_EQ(twin.Handle, 0u);
  EXPECT_FALSE(twin.Registered);

  // Close as the system menu does: WM_CLOSE, then the window is destroyed and unbound.
  form.RequestClose();
  EXPECT_TRUE(form.Saw(WM::CLOSE));
  EXPECT_TRUE(form.Saw(WM::DESTROY));
  EXPECT_FALSE(form.Saw(WM::NCDESTROY));
  EXPECT_FALSE(form.HasWindow());
  EXPECT_FALSE(IsWindow(ToHwnd(form.Handle)));
}

TEST(Win32WindowSystem, TheLoopTranslatesBoundKeysThroughTheAcceleratorTableAndReturnsTheQuitCode) {
  TWin32WindowSystem windows(Instance());
  RecordingForm form(windows, "MovaLoopTest");
  form.CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
  ASSERT_NE(form.Handle, 0u);
  const AccelEntry table[] = {{F::VIRTKEY, 0, 'P', 101}, {F::VIRTKEY | F::CONTROL, 0, 'Q', 102}};
  const HWND window = ToHwnd(form.Handle);
  PostMessageA(window, WM_KEYDOWN, 'P', 0);
  PostMessageA(window, WM_KEYDOWN, 'Q', 0);  // bound with Ctrl only: delivered as a key
  PostQuitMessage(7);
  const int32_t code = RunMessageLoop(
      windows, form.Handle, [](uint16_t, bool, bool, bool) { return std::optional<uint16_t>(); }, table);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(form.Commands, std::vector<uint32_t>{101});
  EXPECT_EQ(form.KeysDown, std::vector<uint32_t>{'Q'});
}

TEST(Win32TimerService, TicksRunOnTheWindowThreadAndATimerKilledInItsTickNeverTicksAgain) {
  TWin32TimerService timers(Instance());
  const DWORD windowThread = GetCurrentThreadId();
  int ticks = 0;
  bool allOnWindowThread = true;
  uint32_t id = 0;
  id = timers.StartPeriodic(10, [&] {
    allOnWindowThread = allOnWindowThread && GetCurrentThreadId() == windowThread;
    if (++ticks == 3) timers.Kill(id);
  });
  ASSERT_NE(id, 0u);
  int otherTicks = 0;
  const uint32_t other = timers.StartPeriodic(10, [&] { ++otherTicks; });
  ASSERT_NE(other, 0u);
  const DWORD deadline = GetTickCount() + 600;
  MSG message;
  while (GetTickCount() < deadline) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(5);
  }
  timers.Kill(other);
  const int afterKill = otherTicks;
  Sleep(50);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(allOnWindowThread);
  EXPECT_GT(otherTicks, 10);
  EXPECT_EQ(otherTicks, afterKill);
}

}  // namespace
}  // namespace mova::test
