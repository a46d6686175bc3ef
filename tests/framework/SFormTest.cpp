#include <gtest/gtest.h>

#include "framework/FakeWindowSystem.h"
#include "framework/SForm.h"

namespace mova::test {
namespace {

// A form that records every message it is given, with the Result it arrived
// with and whether its Handle was already set.
class RecordingForm : public TSForm {
 public:
  using TSForm::TSForm;
  struct Seen {
    uint32_t Msg;
    MessageResult ResultOnArrival;
    WindowHandle HandleOnArrival;
    MessageParam WParam;
  };
  std::vector<Seen> Messages;
  uint32_t Handled = 0;  // this message is answered 42 here, not defaulted

  void HandleMessage(FormMessage& message) override {
    Messages.push_back(Seen{message.Msg, message.Result, Handle, message.WParam});
    if (message.Msg == Handled && Handled != 0) {
      message.Result = 42;
      return;
    }
    TSForm::HandleMessage(message);
  }
  bool Saw(uint32_t msg) const {
    for (const Seen& seen : Messages)
      if (seen.Msg == msg) return true;
    return false;
  }
};

TEST(FormWindow, RegistersItsClassUnderTheCaptionAndCreatesTheWindowAsAsked) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  EXPECT_EQ(form.WindowClassName, "TMovaClass");
  EXPECT_EQ(form.Handle, 0u);
  form.Style = 0x02CF0000;
  form.ExStyle = WS_EX::ACCEPTFILES;
  form.ClassStyle = 11;
  form.ClassBrush = TClassBrush::Black;
  form.CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);

  ASSERT_NE(form.Handle, 0u);
  EXPECT_TRUE(form.Registered);
  const auto& window = windows.Get(form.Handle);
  EXPECT_EQ(window.Class.Name, "TMovaClass");
  EXPECT_EQ(window.Class.Style, 11u);
  EXPECT_EQ(window.Class.Brush, TClassBrush::Black);
  EXPECT_EQ(window.Class.IconName, "MAINICON");
  EXPECT_EQ(window.Class.Cursor, IDC::ARROW);
  EXPECT_EQ(window.Text, "Mova");
  EXPECT_EQ(window.Create.Style, 0x02CF0000u);
  EXPECT_EQ(window.Create.ExStyle, WS_EX::ACCEPTFILES);
  EXPECT_EQ(window.Create.X, CW::USEDEFAULT);
  EXPECT_EQ(window.Create.Width, 320);
  EXPECT_EQ(window.Create.Height, 240);
}

TEST(FormWindow, ASecondFormWithTheSameCaptionGetsNoWindow) {
  FakeWindowSystem windows;
  RecordingForm first(windows, "Mova");
  first.CreateHandle(0, 0, 100, 100);
  RecordingForm second(windows, "Mova");
  second.CreateHandle(0, 0, 100, 100);
  EXPECT_NE(first.Handle, 0u);
  EXPECT_EQ(second.Handle, 0u);
  EXPECT_FALSE(second.Registered);
  EXPECT_EQ(windows.Count("CreateFormWindow TMovaClass"), 1);
  // A later attempt tries to register again.
  second.CreateHandle(0, 0, 100, 100);
  EXPECT_EQ(windows.Count("RegisterFormClass TMovaClass"), 3);
}

TEST(FormWindow, MessagesReachTheFormOnlyFromTheBindingOnWithResultZero) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.CreateHandle(0, 0, 100, 100);
  // The size query before the binding was answered 0 without reaching the form.
  EXPECT_EQ(windows.Count("Unbound answer 0"), 1);
  ASSERT_FALSE(form.Messages.empty());
  EXPECT_EQ(form.Messages.front().Msg, WM::GETMINMAXINFO);
  EXPECT_EQ(form.Messages.size(), 1u);
  for (const auto& seen : form.Messages) {
    EXPECT_EQ(seen.ResultOnArrival, 0);
    EXPECT_EQ(seen.HandleOnArrival, form.Handle);  // valid inside the first message already
  }
}

TEST(FormWindow, UnhandledMessagesGetTheDefaultHandlingAndHandledOnesTheirResult) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.Handled = 0x0400;
  form.CreateHandle(0, 0, 100, 100);
  EXPECT_EQ(windows.Inject(form.Handle, 0x0400, 1, 2), 42);
  EXPECT_EQ(windows.Inject(form.Handle, 0x0401, 7, 8), 0);
  ASSERT_FALSE(windows.Defaulted.empty());
  EXPECT_EQ(windows.Defaulted.back().Msg, 0x0401u);
  EXPECT_EQ(windows.Defaulted.back().WParam, 7u);
  EXPECT_EQ(windows.Defaulted.back().LParam, 8u);
  for (const auto& message : windows.Defaulted) EXPECT_NE(message.Msg, 0x0400u);
}

TEST(FormWindow, StayOnTopIsOnlyRecordedUntilTheWindowExists) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.SetStayOnTop(true);
  EXPECT_TRUE(form.StayOnTop);
  form.CreateHandle(0, 0, 100, 100);
  EXPECT_FALSE(windows.Get(form.Handle).Topmost);
  EXPECT_EQ(windows.Count("SetTopmost 1"), 0);
  form.SetStayOnTop(true);
  EXPECT_TRUE(windows.Get(form.Handle).Topmost);
  form.SetStayOnTop(false);
  EXPECT_FALSE(windows.Get(form.Handle).Topmost);
  EXPECT_FALSE(form.StayOnTop);
}

TEST(FormWindow, ShowPaintsAtOnce) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.CreateHandle(0, 0, 100, 100);
  form.Show();
  EXPECT_TRUE(windows.Get(form.Handle).Visible);
  EXPECT_TRUE(form.Saw(WM::PAINT));
  form.Hide();
  EXPECT_FALSE(windows.Get(form.Handle).Visible);
}

TEST(FormWindow, RequestCloseDeliversCloseBeforeReturningAndTheHandleOutlivesTheWindow) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.CreateHandle(0, 0, 100, 100);
  const WindowHandle handle = form.Handle;
  form.RequestClose();
  ASSERT_GE(form.Messages.size(), 3u);
  const size_t n = form.Messages.size();
  EXPECT_EQ(form.Messages[n - 3].Msg, WM::SYSCOMMAND);
  EXPECT_EQ(form.Messages[n - 2].Msg, WM::CLOSE);
  EXPECT_EQ(form.Messages[n - 1].Msg, WM::DESTROY);
  EXPECT_FALSE(form.HasWindow());
  EXPECT_EQ(form.Handle, handle);
  // Nothing reaches the form after its window is gone.
  windows.Inject(handle, 0x0400);
  EXPECT_EQ(form.Messages.size(), n);
}

TEST(FormWindow, AFormGoingAwayTakesItsWindowWithItSilently) {
  FakeWindowSystem windows;
  WindowHandle handle = 0;
  {
    RecordingForm form(windows, "Mova");
    form.CreateHandle(0, 0, 100, 100);
    handle = form.Handle;
  }
  EXPECT_TRUE(windows.Get(handle).Destroyed);
}

TEST(MessageLoop, ABoundKeyBecomesACommandAndOtherKeysAreDispatched) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.CreateHandle(0, 0, 100, 100);
  std::vector<TKeyPress> looked;
  AcceleratorLookup lookup = [&](uint16_t key, bool alt, bool ctrl, bool shift) -> std::optional<uint16_t> {
    looked.push_back(TKeyPress{key, alt, ctrl, shift});
    if (key == 0x20 && !alt && !ctrl && !shift) return 100;
    if (key == 0x70 && ctrl && shift) return 1150;
    return std::nullopt;
  };
  windows.LoopScript = {
      [&] { windows.PressKey(TKeyPress{0x20, false, false, false}); },
      [&] { windows.PressKey(TKeyPress{0x20, false, false, true}); },
      [&] { windows.PressKey(TKeyPress{0x70, false, true, true}); },
      [&] { windows.PostQuitMessage(0); },
  };
  form.Messages.clear();
  EXPECT_EQ(RunMessageLoop(windows, form.Handle, lookup), 0);

  ASSERT_EQ(looked.size(), 3u);
  EXPECT_TRUE(looked[2].Ctrl && looked[2].Shift && !looked[2].Alt);
  ASSERT_EQ(windows.DispatchedKeys.size(), 1u);
  EXPECT_TRUE(windows.DispatchedKeys[0].Shift);
  std::vector<uint32_t> commands;
  int keyDowns = 0;
  for (const auto& seen : form.Messages) {
    if (seen.Msg == WM::KEYDOWN) ++keyDowns;
    if (seen.Msg == WM::COMMAND) commands.push_back(seen.WParam);
  }
  EXPECT_EQ(keyDowns, 1);  // only the unbound Shift+Space
  EXPECT_EQ(commands, (std::vector<uint32_t>{100, 1150}));
}

TEST(MessageLoop, ReturnsTheQuitCode) {
  FakeWindowSystem windows;
  RecordingForm form(windows, "Mova");
  form.CreateHandle(0, 0, 100, 100);
  windows.LoopScript = {[&] { windows.PostQuitMessage(7); }, [] { FAIL() << "a message after the quit"; }};
  EXPECT_EQ(RunMessageLoop(windows, form.Handle, nullptr), 7);
}

}  // namespace
}  // namespace mova::test
