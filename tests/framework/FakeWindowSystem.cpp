#include "framework/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace mova::test {

namespace {

constexpr uint32_t MinMaxToken = 0x4D4D;
constexpr int32_t DefaultX = 100;
constexpr int32_t DefaultY = 80;

class FakePaintTarget : public IPaintTarget {
 public:
  explicit FakePaintTarget(FakeWindowSystem::Window& window) : Target(window) {}
  std::unique_ptr<IPainter> CreateImage(int32_t width, int32_t height) override {
    return std::make_unique<FakeImage>(width, height);
  }
  void CopyImage(const IPainter& image, int32_t x, int32_t y) override {
    const auto& source = dynamic_cast<const FakeImage&>(image);
    ++Target.Copies;
    for (int32_t row = 0; row < source.Height(); ++row)
      for (int32_t column = 0; column < source.Width(); ++column)
        Target.Surface->FillRect(TRect{x + column, y + row, x + column + 1, y + row + 1},
                                 source.Pixel(column, row));
    for (FakeImage::Text text : source.Texts) {
      text.Rect = TRect{text.Rect.Left + x, text.Rect.Top + y, text.Rect.Right + x, text.Rect.Bottom + y};
      Target.Surface->Texts.push_back(text);
    }
  }

 private:
  FakeWindowSystem::Window& Target;
};

}  // namespace

FakeImage::FakeImage(int32_t width, int32_t height)
    : W(std::max(width, 0)), H(std::max(height, 0)), Pixels(static_cast<size_t>(W) * H) {}

void FakeImage::FillRect(const TRect& rect, TColor color) {
  for (int32_t y = std::max(rect.Top, 0); y < std::min(rect.Bottom, H); ++y)
    for (int32_t x = std::max(rect.Left, 0); x < std::min(rect.Right, W); ++x) Pixels[static_cast<size_t>(y) * W + x] = color;
}

void FakeImage::FrameRect(const TRect& rect, TColor color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  FillRect(TRect{rect.Left, rect.Top, rect.Right, rect.Top + 1}, color);
  FillRect(TRect{rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, color);
  FillRect(TRect{rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, color);
  FillRect(TRect{rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, color);
}

void FakeImage::DrawTextLine(const std::string& text, const TRect& rect, uint32_t format, TColor color) {
  Texts.push_back(Text{text, rect, format, color});
}

FakeWindowSystem::Window* FakeWindowSystem::Find(WindowHandle window) {
  for (auto& entry : Windows)
    if (entry->Handle == window && !entry->Destroyed) return entry.get();
  return nullptr;
}

FakeWindowSystem::Window& FakeWindowSystem::Get(WindowHandle window) {
  for (auto& entry : Windows)
    if (entry->Handle == window) return *entry;
  ADD_FAILURE() << "no window " << window;
  static Window none;
  return none;
}

int FakeWindowSystem::Count(const std::string& call) const {
  return static_cast<int>(std::count(Calls.begin(), Calls.end(), call));
}

MessageResult FakeWindowSystem::Inject(WindowHandle window, uint32_t msg, MessageParam wParam, MessageParam lParam) {
  return SendFormMessage(window, msg, wParam, lParam);
}

void FakeWindowSystem::Resize(Window& window, const TRect& bounds) {
  const bool sizeChanged = bounds.Width() != window.Bounds.Width() || bounds.Height() != window.Bounds.Height();
  window.Bounds = bounds;
  if (!window.Maximized) window.NormalBounds = bounds;
  if (sizeChanged) {
    window.Surface = std::make_unique<FakeImage>(bounds.Width(), bounds.Height());
    Inject(window.Handle, WM::SIZE, window.Maximized ? SIZE::MAXIMIZED : SIZE::RESTORED,
           MakeParam(static_cast<uint16_t>(bounds.Width()), static_cast<uint16_t>(bounds.Height())));
  }
}

void FakeWindowSystem::PaintNow(WindowHandle window) {
  Window* target = Find(window);
  if (target == nullptr) return;
  ++target->Paints;
  Painting = window;
  Inject(window, WM::PAINT);
  Painting = 0;
}

void FakeWindowSystem::Maximize(WindowHandle window) {
  Window* target = Find(window);
  if (target == nullptr) return;
  if (!target->Maximized) target->NormalBounds = target->Bounds;
  target->Maximized = true;
  target->Visible = true;
  Resize(*target, TRect{0, 0, Screen.X, Screen.Y});
}

MessageParam FakeWindowSystem::Drop(std::vector<std::string> files) {
  const MessageParam token = NextDrop++;
  Drops[token] = std::move(files);
  return token;
}

void FakeWindowSystem::PressKey(TKeyPress key) {
  if (TranslateKey != nullptr && (*TranslateKey)(key)) return;
  DispatchedKeys.push_back(key);
  for (auto& window : Windows)
    if (!window->Destroyed) {
      Inject(window->Handle, key.Alt ? WM::SYSKEYDOWN : WM::KEYDOWN, key.VirtualKey, 1);
      break;
    }
}

bool FakeWindowSystem::RegisterFormClass(const TWindowClass& windowClass) {
  Calls.push_back("RegisterFormClass " + windowClass.Name);
  if (Classes.count(windowClass.Name) != 0) return false;
  Classes[windowClass.Name] = windowClass;
  return true;
}

WindowHandle FakeWindowSystem::CreateFormWindow(const TWindowCreate& create, IFormBinding& binding) {
  Calls.push_back("CreateFormWindow " + create.ClassName);
  auto found = Classes.find(create.ClassName);
  if (FailCreate || found == Classes.end()) return 0;
  auto window = std::make_unique<Window>();
  window->Handle = 0x1000 + 0x10 * static_cast<WindowHandle>(Windows.size());
  window->Class = found->second;
  window->Create = create;
  window->Text = create.Caption;
  window->Style = create.Style & ~(WS::VISIBLE | WS::MAXIMIZE);
  const int32_t x = create.X == CW::USEDEFAULT ? DefaultX : create.X;
  const int32_t y = create.Y == CW::USEDEFAULT ? DefaultY : create.Y;
  window->Bounds = window->NormalBounds = TRect{x, y, x + create.Width, y + create.Height};
  window->Surface = std::make_unique<FakeImage>(create.Width, create.Height);
  Window& created = *window;
  Windows.push_back(std::move(window));

  // As on Windows, a first size query arrives before the window is bound.
  Calls.push_back("Unbound answer " + std::to_string(binding.WindowProc(WM::GETMINMAXINFO, 0, MinMaxToken)));
  created.Binding = &binding;
  binding.BindWindow(created.Handle);
  CurrentMinMax = TMinMaxInfo{};
  CurrentMinMax.MaxTrackSize = {Screen.X + 16, Screen.Y + 16};
  Inject(created.Handle, WM::GETMINMAXINFO, 0, MinMaxToken);
  LastMinMax = CurrentMinMax;
  return created.Handle;
}

void FakeWindowSystem::DestroyWindow(WindowHandle window) {
  Calls.push_back("DestroyWindow");
  Window* target = Find(window);
  if (target == nullptr) return;
  Inject(window, WM::DESTROY);
  target->Destroyed = true;
  target->Visible = false;
  if (Capture == window) Capture = 0;
  if (target->Binding != nullptr) target->Binding->UnbindWindow();
  target->Binding = nullptr;
}

MessageResult FakeWindowSystem::DefaultHandling(WindowHandle window, const FormMessage& message) {
  Defaulted.push_back(message);
  if (message.Msg == WM::SYSCOMMAND && (message.WParam & 0xFFF0) == SC::CLOSE) {
    SendFormMessage(window, WM::CLOSE, 0, 0);
  } else if (message.Msg == WM::CLOSE) {
    DestroyWindow(window);
  }
  return 0;
}

MessageResult FakeWindowSystem::SendFormMessage(WindowHandle window, uint32_t msg, MessageParam wParam,
                                                MessageParam lParam) {
  Window* target = Find(window);
  if (target == nullptr || target->Binding == nullptr) return 0;
  return target->Binding->WindowProc(msg, wParam, lParam);
}

uint32_t FakeWindowSystem::RegisterNamedMessage(const std::string& name) {
  auto found = Registered.find(name);
  if (found != Registered.end()) return found->second;
  const uint32_t id = 0xC100 + static_cast<uint32_t>(Registered.size());
  Registered[name] = id;
  return id;
}

void FakeWindowSystem::SetWindowCaption(WindowHandle window, const std::string& text) {
  if (Window* target = Find(window)) target->Text = text;
}

std::string FakeWindowSystem::GetWindowCaption(WindowHandle window) {
  Window* target = Find(window);
  return target ? target->Text : std::string();
}

void FakeWindowSystem::MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, bool) {
  Calls.push_back("MoveWindow " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
                  std::to_string(height));
  if (Window* target = Find(window)) Resize(*target, TRect{x, y, x + width, y + height});
}

void FakeWindowSystem::SetWindowSize(WindowHandle window, int32_t width, int32_t height) {
  Calls.push_back("SetWindowSize " + std::to_string(width) + " " + std::to_string(height));
  if (Window* target = Find(window))
    Resize(*target, TRect{target->Bounds.Left, target->Bounds.Top, target->Bounds.Left + width,
                          target->Bounds.Top + height});
}

void FakeWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  Calls.push_back(topmost ? "SetTopmost 1" : "SetTopmost 0");
  if (Window* target = Find(window)) target->Topmost = topmost;
}

bool FakeWindowSystem::IsTopmost(WindowHandle window) {
  Window* target = Find(window);
  return target && target->Topmost;
}

void FakeWindowSystem::ShowWindow(WindowHandle window, int32_t command) {
  Calls.push_back("ShowWindow " + std::to_string(command));
  Window* target = Find(window);
  if (target == nullptr) return;
  switch (command) {
    case SW::HIDE:
      target->Visible = false;
      break;
    case SW::RESTORE:
      target->Visible = true;
      if (target->Maximized) {
        target->Maximized = false;
        Resize(*target, target->NormalBounds);
      }
      break;
    case SW::SHOWMAXIMIZED:
      Maximize(window);
      break;
    default:
      target->Visible = true;
      break;
  }
}

void FakeWindowSystem::UpdateWindow(WindowHandle window) {
  Calls.push_back("UpdateWindow");
  Window* target = Find(window);
  if (target && target->Visible) PaintNow(window);
}

bool FakeWindowSystem::IsZoomed(WindowHandle window) {
  Window* target = Find(window);
  return target && target->Maximized;
}

TRect FakeWindowSystem::GetClientRect(WindowHandle window) {
  Window* target = Find(window);
  if (target == nullptr) return {};
  return TRect{0, 0, target->Bounds.Width(), target->Bounds.Height()};
}

TRect FakeWindowSystem::AdjustWindowRect(const TRect& client, uint32_t) { return client; }

uint32_t FakeWindowSystem::GetStyleBits(WindowHandle window) {
  Window* target = Find(window);
  if (target == nullptr) return 0;
  return target->Style | (target->Visible ? WS::VISIBLE : 0) | (target->Maximized ? WS::MAXIMIZE : 0);
}

void FakeWindowSystem::SetWindowStyle(WindowHandle window, uint32_t style) {
  Calls.push_back("SetWindowStyle " + std::to_string(style));
  Window* target = Find(window);
  if (target == nullptr) return;
  target->Style = style & ~(WS::VISIBLE | WS::MAXIMIZE);
  target->Visible = (style & WS::VISIBLE) != 0;
  if (!(style & WS::MAXIMIZE)) target->Maximized = false;
}

TWindowPlacement FakeWindowSystem::GetWindowPlacement(WindowHandle window) {
  TWindowPlacement placement;
  Window* target = Find(window);
  if (target == nullptr) return placement;
  placement.ShowCmd = target->Maximized ? SW::SHOWMAXIMIZED : SW::SHOWNORMAL;
  placement.NormalPosition = target->Maximized ? target->NormalBounds : target->Bounds;
  return placement;
}

void FakeWindowSystem::SetWindowPlacement(WindowHandle window, const TWindowPlacement& placement) {
  Calls.push_back("SetWindowPlacement");
  Window* target = Find(window);
  if (target == nullptr) return;
  target->Maximized = false;
  target->Visible = true;
  Resize(*target, placement.NormalPosition);
  if (placement.ShowCmd == SW::SHOWMAXIMIZED) Maximize(window);
}

void FakeWindowSystem::InvalidateRect(WindowHandle window, const TRect* rect, bool erase) {
  Window* target = Find(window);
  if (target == nullptr) return;
  target->Invalidated.push_back(rect ? *rect : GetClientRect(window));
  target->InvalidatedErase.push_back(erase);
}

std::unique_ptr<IPaintTarget> FakeWindowSystem::BeginPaint(WindowHandle window) {
  Window* target = Find(window);
  if (target == nullptr || Painting != window) return nullptr;
  return std::make_unique<FakePaintTarget>(*target);
}

int32_t FakeWindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                     uint32_t style) {
  MessageBoxes.push_back(Box{owner, text, caption, style});
  if (OnMessageBox) OnMessageBox(MessageBoxes.back());
  return ID::OK;
}

namespace {

std::vector<FakeWindowSystem::ShownItem> Snapshot(const TPopupMenu& menu) {
  std::vector<FakeWindowSystem::ShownItem> items;
  for (const TMenuItem& item : menu.Items()) {
    FakeWindowSystem::ShownItem shown{item.Type, item.Id, item.Text, item.Grayed, item.Checked, {}};
    if (item.Submenu) shown.Submenu = Snapshot(*item.Submenu);
    items.push_back(std::move(shown));
  }
  return items;
}

}  // namespace

bool FakeWindowSystem::AskSaveFileName(TSaveFileDialog& dialog) {
  Calls.push_back("AskSaveFileName");
  SaveDialogs.push_back(dialog);
  std::optional<std::string> name = OnSaveDialog ? OnSaveDialog(dialog) : std::nullopt;
  if (!name || name->size() >= dialog.MaxFile) return false;
  dialog.FileName = *name;
  return true;
}

int32_t FakeWindowSystem::TrackPopupMenu(const TPopupMenu& menu, TPoint at, WindowHandle owner) {
  Calls.push_back("TrackPopupMenu");
  Menus.push_back(ShownMenu{owner, at, Snapshot(menu)});
  return OnMenu ? OnMenu(Menus.back()) : 0;
}

void FakeWindowSystem::SetCapture(WindowHandle window) {
  Calls.push_back("SetCapture");
  if (Find(window)) Capture = window;
}

void FakeWindowSystem::ReleaseCapture() {
  Calls.push_back("ReleaseCapture");
  Capture = 0;
}

std::string FakeWindowSystem::DroppedFile(MessageParam drop, uint32_t index) {
  auto found = Drops.find(drop);
  if (found == Drops.end() || FinishedDrops.count(drop) || index >= found->second.size()) return {};
  return found->second[index];
}

void FakeWindowSystem::DragFinish(MessageParam drop) { FinishedDrops.insert(drop); }

TMinMaxInfo* FakeWindowSystem::MinMaxInfo(MessageParam lParam) {
  return lParam == MinMaxToken ? &CurrentMinMax : nullptr;
}

void FakeWindowSystem::PostQuitMessage(int32_t code) {
  QuitPosted = true;
  QuitCode = code;
}

int32_t FakeWindowSystem::RunMessageLoop(const std::function<bool(const TKeyPress&)>& translateKey) {
  TranslateKey = &translateKey;
  for (size_t step = 0; step < LoopScript.size() && !QuitPosted; ++step) LoopScript[step]();
  TranslateKey = nullptr;
  return QuitPosted ? QuitCode : UnsetLoopResult;
}

}  // namespace mova::test
