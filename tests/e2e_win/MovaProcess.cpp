#include "e2e_win/MovaProcess.h"

#include <thread>
#include <vector>

namespace mova::test {

using namespace std::chrono_literals;

MovaProcess::MovaProcess(const std::string& arguments, const std::string& profileRoot) {
  // The child inherits the environment: QADLPROF is set only around its start.
  if (profileRoot.empty())
    SetEnvironmentVariableA("QADLPROF", nullptr);
  else
    SetEnvironmentVariableA("QADLPROF", WindowsPath(profileRoot).c_str());
  std::string commandLine = "\"" + WindowsPath(MOVA_PLAYER_EXE) + "\" " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &Process))
    Process = PROCESS_INFORMATION{};
  SetEnvironmentVariableA("QADLPROF", nullptr);
}

MovaProcess::~MovaProcess() {
  if (!Started()) return;
  if (Running()) {
    TerminateProcess(Process.hProcess, 99);
    WaitForSingleObject(Process.hProcess, 5000);
  }
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
}

bool MovaProcess::Running() { return Started() && WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> MovaProcess::Wait(std::chrono::milliseconds timeout) {
  if (!Started() || WaitForSingleObject(Process.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(Process.hProcess, &code);
  return code;
}

namespace {

struct WindowSearch {
  DWORD Pid;
  const char* ClassName;
  const std::function<bool(const std::string&)>* Matches;
  HWND Found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (pid == search->Pid && IsWindowVisible(window) && std::string(className) == search->ClassName &&
      (*search->Matches)(Title(window))) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND MovaProcess::WaitForWindow(const char* className, const std::function<bool(const std::string&)>& matches,
                                std::chrono::milliseconds timeout) {
  WindowSearch search{Process.dwProcessId, className, &matches};
  WaitFor([&] {
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.Found != nullptr;
  }, timeout);
  return search.Found;
}

HWND MovaProcess::WaitForMain(const std::string& title, std::chrono::milliseconds timeout) {
  return WaitForWindow("TMovaClass", [&](const std::string& text) { return text == title; }, timeout);
}

namespace {

struct WindowList {
  DWORD Pid;
  std::string Text;
};

BOOL CALLBACK Describe(HWND window, LPARAM parameter) {
  auto* list = reinterpret_cast<WindowList*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != list->Pid) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  list->Text += std::string("[") + className + " \"" + Title(window) + "\"" + (IsWindowVisible(window) ? "" : " hidden") + "] ";
  return TRUE;
}

}  // namespace

std::string MovaProcess::DescribeWindows() {
  WindowList list{Process.dwProcessId, {}};
  EnumWindows(Describe, reinterpret_cast<LPARAM>(&list));
  return list.Text;
}

std::string WindowsPath(const std::string& path) {
  std::string result = path;
  for (char& c : result)
    if (c == '/') c = '\\';
  return result;
}

std::string Title(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return SIZE{client.right, client.bottom};
}

void MoveToCorner(HWND window) {
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

Snapshot ClientPixels(HWND window) {
  Snapshot shot;
  const SIZE size = ClientSize(window);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  if (size.cx <= 0 || size.cy <= 0) return shot;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, size.cx, size.cy, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const size_t stride = (static_cast<size_t>(size.cx) * 3 + 3) & ~size_t{3};
    shot.Width = size.cx;
    shot.Height = size.cy;
    shot.Data.resize(static_cast<size_t>(size.cx) * size.cy * 3);
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x) {
        const auto* pixel = static_cast<const uint8_t*>(bits) + y * stride + x * 3;
        char* out = &shot.Data[(static_cast<size_t>(y) * size.cx + x) * 3];
        out[0] = static_cast<char>(pixel[2]);
        out[1] = static_cast<char>(pixel[1]);
        out[2] = static_cast<char>(pixel[0]);
      }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

void PressKey(HWND window, UINT virtualKey) {
  const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

std::string BoxText(HWND box) {
  // A message box's text is its static control 0xFFFF.
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

}  // namespace mova::test
