#include "platform/win32/Win32Painter.h"

namespace mova {

namespace {

COLORREF ToColorRef(TColor color) { return RGB(color.R, color.G, color.B); }

// A brush of `color`: the stock one where the system has it (black, gray,
// white and the two other grays), else a solid brush made for this use.
class TBrush {
 public:
  explicit TBrush(TColor color) {
    const COLORREF value = ToColorRef(color);
    const struct {
      COLORREF Color;
      int Stock;
    } stock[] = {{RGB(0, 0, 0), BLACK_BRUSH},
                 {RGB(128, 128, 128), GRAY_BRUSH},
                 {RGB(255, 255, 255), WHITE_BRUSH},
                 {RGB(192, 192, 192), LTGRAY_BRUSH},
                 {RGB(64, 64, 64), DKGRAY_BRUSH}};
    for (const auto& entry : stock)
      if (entry.Color == value) Handle = static_cast<HBRUSH>(GetStockObject(entry.Stock));
    if (Handle == nullptr) {
      Handle = CreateSolidBrush(value);
      Owned = true;
    }
  }
  ~TBrush() {
    if (Owned) DeleteObject(Handle);
  }
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;
  HBRUSH Handle = nullptr;

 private:
  bool Owned = false;
};

RECT ToRect(const TRect& rect) { return RECT{rect.Left, rect.Top, rect.Right, rect.Bottom}; }

// An off-screen image: a memory DC compatible with the window's, holding a
// bitmap of the image's size; both are deleted with the image.
class TGdiImage final : public IPainter {
 public:
  TGdiImage(HDC windowDc, int32_t width, int32_t height) : ImageWidth(width), ImageHeight(height) {
    Dc = CreateCompatibleDC(windowDc);
    Bitmap = CreateCompatibleBitmap(windowDc, width, height);
    if (Dc != nullptr && Bitmap != nullptr) {
      OldBitmap = SelectObject(Dc, Bitmap);
      OldFont = SelectObject(Dc, GetStockObject(DEFAULT_GUI_FONT));
      SetBkMode(Dc, TRANSPARENT);
      FillRect(TRect{0, 0, width, height}, TColor{0, 0, 0});
    }
  }
  ~TGdiImage() override {
    if (Dc != nullptr) {
      if (OldFont != nullptr) SelectObject(Dc, OldFont);
      if (OldBitmap != nullptr) SelectObject(Dc, OldBitmap);
      DeleteDC(Dc);
    }
    if (Bitmap != nullptr) DeleteObject(Bitmap);
  }
  TGdiImage(const TGdiImage&) = delete;
  TGdiImage& operator=(const TGdiImage&) = delete;

  bool Valid() const { return Dc != nullptr && Bitmap != nullptr; }
  HDC Context() const { return Dc; }
  int32_t Width() const override { return ImageWidth; }
  int32_t Height() const override { return ImageHeight; }

  void FillRect(const TRect& rect, TColor color) override {
    const RECT area = ToRect(rect);
    TBrush brush(color);
    ::FillRect(Dc, &area, brush.Handle);
  }
  void FrameRect(const TRect& rect, TColor color) override {
    const RECT area = ToRect(rect);
    TBrush brush(color);
    ::FrameRect(Dc, &area, brush.Handle);
  }
  void DrawTextLine(const std::string& text, const TRect& rect, uint32_t format, TColor color) override {
    RECT area = ToRect(rect);
    SetTextColor(Dc, ToColorRef(color));
    DrawTextA(Dc, text.data(), static_cast<int>(text.size()), &area, format);
  }

 private:
  int32_t ImageWidth;
  int32_t ImageHeight;
  HDC Dc = nullptr;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ OldBitmap = nullptr;
  HGDIOBJ OldFont = nullptr;
};

}  // namespace

TGdiPaintTarget::TGdiPaintTarget(HWND window) : Window(window) { Dc = ::BeginPaint(window, &Paint); }

TGdiPaintTarget::~TGdiPaintTarget() {
  if (Dc != nullptr) ::EndPaint(Window, &Paint);
}

std::unique_ptr<IPainter> TGdiPaintTarget::CreateImage(int32_t width, int32_t height) {
  if (Dc == nullptr || width <= 0 || height <= 0) return nullptr;
  auto image = std::make_unique<TGdiImage>(Dc, width, height);
  if (!image->Valid()) return nullptr;
  return image;
}

void TGdiPaintTarget::CopyImage(const IPainter& image, int32_t x, int32_t y) {
  const auto* gdi = dynamic_cast<const TGdiImage*>(&image);
  if (Dc == nullptr || gdi == nullptr) return;
  BitBlt(Dc, x, y, gdi->Width(), gdi->Height(), gdi->Context(), 0, 0, SRCCOPY);
}

}  // namespace mova
