#pragma once
// The video window of a GStreamer graph: a child widget of the main window
// that paints the newest decoded frame scaled to its own size.
#include <QImage>
#include <QWidget>

#include <memory>
#include <mutex>

namespace mova {

// The newest decoded frame. Written on a streaming thread, read when the
// widget paints on the window thread.
class TFrameSlot {
 public:
  void Store(QImage frame);
  QImage Newest() const;

 private:
  mutable std::mutex Lock;
  QImage Frame;
};

class TGstVideoWidget final : public QWidget {
  Q_OBJECT
 public:
  TGstVideoWidget(std::shared_ptr<const TFrameSlot> frames, QWidget* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const TFrameSlot> Frames;
};

}  // namespace mova
