#pragma once
// Painting for the forms: off-screen images drawn with QPainter and copied to
// the widget in one block.
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "framework/WindowSystem.h"

namespace mova {

// The user-interface font at the size that fits a 13-pixel bar.
QFont StatusFont();

class TQtImagePainter : public IPainter {
 public:
  // A black image of width x height pixels.
  TQtImagePainter(int32_t width, int32_t height);

  int32_t Width() const override { return Image.width(); }
  int32_t Height() const override { return Image.height(); }
  void FillRect(const TRect& rect, TColor color) override;
  void FrameRect(const TRect& rect, TColor color) override;
  void DrawTextLine(const std::string& text, const TRect& rect, uint32_t format, TColor color) override;

  const QImage& GetImage() const { return Image; }

 private:
  QImage Image;
};

// One paint of a widget; only valid inside its paint event.
class TQtPaintTarget : public IPaintTarget {
 public:
  explicit TQtPaintTarget(QWidget& widget) : Painter(&widget) {}
  std::unique_ptr<IPainter> CreateImage(int32_t width, int32_t height) override;
  void CopyImage(const IPainter& image, int32_t x, int32_t y) override;

 private:
  QPainter Painter;
};

}  // namespace mova
