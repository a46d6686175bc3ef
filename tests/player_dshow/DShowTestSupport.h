#pragma once
// What the DirectShow tests share: COM on the test thread, an owner window
// for the video, and a message loop that runs until something has happened.
#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace mova::test {

// Initialises COM for each test, as the program's start-up does.
class TComTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

// A visible top-level window standing in for the main window; it counts
// the left-button presses that reach it.
class TOwnerWindow {
 public:
  TOwnerWindow();
  ~TOwnerWindow();
  TOwnerWindow(const TOwnerWindow&) = delete;
  TOwnerWindow& operator=(const TOwnerWindow&) = delete;
  HWND Handle() const { return Window; }
  int ButtonPresses() const { return Presses; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND Window = nullptr;
  int Presses = 0;
};

// Dispatches this thread's messages until `done` answers true or `timeout`
// has passed; returns `done`'s last answer.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
void PumpFor(std::chrono::milliseconds time);

// The built test medium `name`; fails the test when it is missing.
std::string Medium(const std::string& name);

}  // namespace mova::test
