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

// A form that hands back what a message carried: the result of WM_APP is its
// LParam, and WM_GETMINMAXINFO's record gets a maximum size through the
// window system, as the main window's handler does it.
class EchoForm : public TSForm {
 public:
  using TSForm::TSForm;
  MessageParam WParam = 0;
  MessageParam LParam = 0;

  void HandleMessage(FormMessage& message) override {
    if (message.Msg == WM_APP) {
      WParam = message.WParam;
      LParam = message.LParam;
      message.Result = static_cast<MessageResult>(message.LParam);
      return;
    }
    if (message.Msg == WM::GETMINMAXINFO) {
      if (TMinMaxInfo* info = Windows.MinMaxInfo(message.LParam)) info->MaxTrackSize = {1234, 567};
      return;
    }
    TSForm::HandleMessage(message);
  }
};

TEST(Win32WindowSystem, AMessageCarriesAddressesAndResultsWholeThroughTheWindowProcedure) {
  TWin32WindowSystem windows(Instance());
  EchoForm form(windows, "MovaParamTest");
  form.CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
  ASSERT_NE(form.Handle, 0u);
  // Memory from the top of the address space: above 4 GiB in a 64-bit
  // program, where a parameter cut to 32 bits would point elsewhere.
  void* high = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
  ASSERT_NE(high, nullptr);
  if (sizeof(void*) == 8) {
    ASSERT_GT(reinterpret_cast<uintptr_t>(high), uintptr_t{0xFFFFFFFF});
  }
  // A constant with bits in both halves of a 64-bit parameter (its low half alone in 32 bits).
  const WPARAM wide = static_cast<WPARAM>(0x0123456789ABCDEFull);
  const LRESULT result = SendMessageA(ToHwnd(form.Handle), WM_APP, wide, reinterpret_cast<LPARAM>(high));
  EXPECT_EQ(form.WParam, wide);
  EXPECT_EQ(form.LParam, reinterpret_cast<uintptr_t>(high));
  EXPECT_EQ(result, reinterpret_cast<LRESULT>(high));

  auto* record = static_cast<MINMAXINFO*>(high);
  *record = MINMAXINFO{};
  SendMessageA(ToHwnd(form.Handle), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(record));
  EXPECT_EQ(record->ptMaxTrackSize.x, 1234);
  EXPECT_EQ(record->ptMaxTrackSize.y, 567);

  windows.DestroyWindow(form.Handle);
  VirtualFree(high, 0, MEM_RELEASE);
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
  // Ticks that would still come after the kill come within a few periods.
  Sleep(50);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(allOnWindowThread);
  EXPECT_GT(otherTicks, 10);
  EXPECT_EQ(otherTicks, afterKill);
}

}  // namespace
}  // namespace mova::test
