#include "platform/qt/QtPainter.h"

#include <QApplication>
#include <QFontMetrics>

namespace mova {

namespace {

constexpr int StatusFontPixels = 11;

QRect ToQRect(const TRect& rect) { return QRect(rect.Left, rect.Top, rect.Width(), rect.Height()); }

QColor ToQColor(TColor color) { return QColor(color.R, color.G, color.B); }

}  // namespace

QFont StatusFont() {
  QFont font = QApplication::font();
  font.setPixelSize(StatusFontPixels);
  font.setStyleStrategy(QFont::NoAntialias);  // crisp cyan on black, as the bar always looked
  return font;
}

TQtImagePainter::TQtImagePainter(int32_t width, int32_t height)
    : Image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
  Image.fill(Qt::black);
}

void TQtImagePainter::FillRect(const TRect& rect, TColor color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  QPainter painter(&Image);
  painter.fillRect(ToQRect(rect), ToQColor(color));
}

void TQtImagePainter::FrameRect(const TRect& rect, TColor color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  QPainter painter(&Image);
  const QColor qcolor = ToQColor(color);
  painter.fillRect(QRect(rect.Left, rect.Top, rect.Width(), 1), qcolor);
  painter.fillRect(QRect(rect.Left, rect.Bottom - 1, rect.Width(), 1), qcolor);
  painter.fillRect(QRect(rect.Left, rect.Top, 1, rect.Height()), qcolor);
  painter.fillRect(QRect(rect.Right - 1, rect.Top, 1, rect.Height()), qcolor);
}

void TQtImagePainter::DrawTextLine(const std::string& text, const TRect& rect, uint32_t format, TColor color) {
  if (text.empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
  QPainter painter(&Image);
  painter.setClipRect(ToQRect(rect));
  painter.setFont(StatusFont());
  painter.setPen(ToQColor(color));
  const QString qtext = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetrics metrics(painter.font());
  // Placed by its full advance, blanks included, so that the texts keep
  // their leading and trailing blanks as margins.
  const int advance = metrics.horizontalAdvance(qtext);
  const int x = (format & DT::RIGHT) ? rect.Right - advance : rect.Left;
  int y = rect.Top + metrics.ascent();
  if (format & DT::VCENTER) y = rect.Top + (rect.Height() - metrics.height()) / 2 + metrics.ascent();
  painter.drawText(QPoint(x, y), qtext);
}

std::unique_ptr<IPainter> TQtPaintTarget::CreateImage(int32_t width, int32_t height) {
  return std::make_unique<TQtImagePainter>(width, height);
}

void TQtPaintTarget::CopyImage(const IPainter& image, int32_t x, int32_t y) {
  const auto* qtImage = dynamic_cast<const TQtImagePainter*>(&image);
  if (qtImage == nullptr) return;
  Painter.drawImage(QPoint(x, y), qtImage->GetImage());
}

}  // namespace mova
