#pragma once
// The video window of a GStreamer graph: a child widget of the main window
// that paints the newest decoded frame scaled to its own size.
#include <gst/gst.h>

#include <QImage>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/gstreamer/GstFrameConverter.h"
#include "platform/gstreamer/GstHandles.h"

namespace mova {

// The newest decoded frame, as the decoder gave it. Written on a streaming
// thread, read when the widget paints on the window thread.
class TFrameSlot {
 public:
  // The latest seek: frames stored after it show the new position.
  struct TSeekMark {
    uint64_t Count = 0;         // seeks so far
    uint64_t SerialBefore = 0;  // frames stored before the latest seek
    std::chrono::steady_clock::time_point Time;
  };
  struct TNewest {
    gsthandles::SamplePtr Sample;  // a reference of its own; null before the first frame
    uint64_t Serial = 0;  // frames stored so far; this one is the last
    int64_t Time = -1;    // the frame's presentation time in ns, -1 unknown
    TSeekMark Seek;
  };

  // Keeps a reference to `sample`.
  void Store(GstSample* sample, int64_t time = -1);
  TNewest Newest() const;
  void NoteSeek();

 private:
  mutable std::mutex Lock;
  gsthandles::SamplePtr Sample;
  uint64_t Serial = 0;
  int64_t Time = -1;
  TSeekMark Seek;
};

// Counters for measuring playback, off unless MOVA_STATS=1 is in the
// environment: then the video window writes a line to the standard error on
// its first picture, after each seek's picture and about once a second.
// Stamps are seconds on the monotonic clock, comparable with other processes.
class TPaintStats {
 public:
  static bool Enabled();
  void Painted(const TFrameSlot::TNewest& newest);

 private:
  uint64_t LastSerial = 0;
  int64_t LastTime = -1;
  int64_t FirstTime = -1;
  uint64_t ReportedSeeks = 0;
  uint64_t Frames = 0;   // distinct frames painted: a picture stored twice counts once
  uint64_t Repaints = 0; // paint events with a frame, repeats included
  double FirstPaint = -1.0;
  double LastReport = 0.0;
};

class TGstVideoWidget final : public QWidget {
  Q_OBJECT
 public:
  TGstVideoWidget(std::shared_ptr<const TFrameSlot> frames, QWidget* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool PaintStraight(QPainter& painter, const QPaintEvent& event, GstSample* sample);

  std::shared_ptr<const TFrameSlot> Frames;
  TFrameConverter Converter;  // used on the window thread only
  std::unique_ptr<TPaintStats> Stats;  // only when measuring
};

}  // namespace mova
