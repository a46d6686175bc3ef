#include "platform/gstreamer/GstVideoWidget.h"

#include <QPainter>

namespace mova {

void TFrameSlot::Store(QImage frame) {
  std::lock_guard<std::mutex> guard(Lock);
  Frame = std::move(frame);
}

QImage TFrameSlot::Newest() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Frame;  // implicitly shared: the copy is cheap and safe to paint from
}

TGstVideoWidget::TGstVideoWidget(std::shared_ptr<const TFrameSlot> frames, QWidget* owner)
    : QWidget(owner), Frames(std::move(frames)) {
  // Clicks, the wheel and drops over the picture belong to the main window.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void TGstVideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage frame = Frames->Newest();
  if (frame.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  // Smooth (bilinear) scaling: zoomed pictures must not look blocky.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), frame);
}

}  // namespace mova
