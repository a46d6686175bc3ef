#pragma once
// Painting with GDI: a memory DC with a bitmap of its own per image, the
// stock brushes where a colour has one, DEFAULT_GUI_FONT for text, and one
// BitBlt into the window's paint DC.
#include <windows.h>

#include <memory>

#include "framework/WindowSystem.h"

namespace mova {

// One WM_PAINT, from BeginPaint to EndPaint (the destructor).
class TGdiPaintTarget final : public IPaintTarget {
 public:
  explicit TGdiPaintTarget(HWND window);
  ~TGdiPaintTarget() override;
  TGdiPaintTarget(const TGdiPaintTarget&) = delete;
  TGdiPaintTarget& operator=(const TGdiPaintTarget&) = delete;

  std::unique_ptr<IPainter> CreateImage(int32_t width, int32_t height) override;
  void CopyImage(const IPainter& image, int32_t x, int32_t y) override;

 private:
  HWND Window;
  PAINTSTRUCT Paint{};
  HDC Dc = nullptr;
};

}  // namespace mova
