#include "platform/gstreamer/GstVideoWidget.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace mova {

namespace {

double Seconds(std::chrono::steady_clock::time_point time) {
  return std::chrono::duration<double>(time.time_since_epoch()).count();
}

// How long this process has run, from the kernel's record of its start (in
// clock ticks since boot); negative when it cannot be read.
double SecondsSinceProcessStart() {
  std::ifstream statFile("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
  // The command name may hold spaces and parentheses: the fields follow the last ')'.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1.0;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  unsigned long long startTicks = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 22) {
      startTicks = std::strtoull(field.c_str(), nullptr, 10);
      break;
    }
  }
  timespec now{};
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  if (startTicks == 0 || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1.0;
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - static_cast<double>(startTicks) / ticksPerSecond;
}

}  // namespace

void TFrameSlot::Store(GstSample* sample, int64_t time) {
  gsthandles::SamplePtr newest(gst_sample_ref(sample));
  std::lock_guard<std::mutex> guard(Lock);
  Sample.swap(newest);
  Time = time;
  ++Serial;
  // The previous sample is released after the lock, by `newest`.
}

TFrameSlot::TNewest TFrameSlot::Newest() const {
  std::lock_guard<std::mutex> guard(Lock);
  return TNewest{gsthandles::SamplePtr(Sample ? gst_sample_ref(Sample.get()) : nullptr), Serial, Time, Seek};
}

void TFrameSlot::NoteSeek() {
  std::lock_guard<std::mutex> guard(Lock);
  ++Seek.Count;
  Seek.SerialBefore = Serial;
  Seek.Time = std::chrono::steady_clock::now();
}

bool TPaintStats::Enabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("MOVA_STATS");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
  }();
  return enabled;
}

void TPaintStats::Painted(const TFrameSlot::TNewest& newest) {
  const double now = Seconds(std::chrono::steady_clock::now());
  ++Repaints;
  // The cued picture comes again as the first one played: one frame.
  if (newest.Serial != LastSerial && (newest.Time < 0 || newest.Time != LastTime)) ++Frames;
  LastSerial = newest.Serial;
  LastTime = newest.Time;
  if (FirstTime < 0) FirstTime = newest.Time;
  if (FirstPaint < 0.0) {
    FirstPaint = now;
    LastReport = now;
    std::fprintf(stderr, "mova-stats first-paint t=%.6f since_start_ms=%.1f\n", now,
                 SecondsSinceProcessStart() * 1000.0);
  }
  const TFrameSlot::TSeekMark& seek = newest.Seek;
  if (seek.Count != ReportedSeeks && newest.Serial > seek.SerialBefore) {
    ReportedSeeks = seek.Count;
    std::fprintf(stderr, "mova-stats seek-paint t=%.6f seek=%.6f step_ms=%.2f\n", now, Seconds(seek.Time),
                 (now - Seconds(seek.Time)) * 1000.0);
  }
  if (now - LastReport >= 1.0) {
    LastReport = now;
    std::fprintf(stderr,
                 "mova-stats t=%.6f received=%llu painted=%llu repaints=%llu first_paint=%.6f first_pts=%.6f "
                 "pts=%.6f\n",
                 now, static_cast<unsigned long long>(newest.Serial), static_cast<unsigned long long>(Frames),
                 static_cast<unsigned long long>(Repaints), FirstPaint, FirstTime / 1e9, newest.Time / 1e9);
  }
}

TGstVideoWidget::TGstVideoWidget(std::shared_ptr<const TFrameSlot> frames, QWidget* owner)
    : QWidget(owner), Frames(std::move(frames)) {
  // Clicks, the wheel and drops over the picture belong to the main window.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  if (TPaintStats::Enabled()) Stats = std::make_unique<TPaintStats>();
}

void TGstVideoWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const TFrameSlot::TNewest newest = Frames->Newest();
  if (!newest.Sample) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  if (!PaintStraight(painter, *event, newest.Sample.get())) {
    const QRect area = rect();
    const qreal ratio = devicePixelRatioF();
    const QImage frame = Converter.Convert(newest.Sample.get(), (QSizeF(area.size()) * ratio).toSize());
    if (frame.isNull()) {
      painter.fillRect(area, Qt::black);
    } else if (frame.size() == area.size() && ratio == 1.0) {
      painter.drawImage(area.topLeft(), frame);
    } else {
      // Smooth (bilinear) scaling: zoomed pictures must not look blocky.
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawImage(area, frame);
    }
  }
  if (Stats) Stats->Painted(newest);
}

// Most of the time the whole video window is painted into the window's back
// buffer, an image in memory, unscaled: then the picture is converted (and
// scaled) straight into it. That is the only pass over the pixels, and no
// image of the picture's own is kept. False when painting goes anywhere
// else or the picture is shown larger than it is, so it is drawn the usual
// way (scaled up by Qt from its own size).
bool TGstVideoWidget::PaintStraight(QPainter& painter, const QPaintEvent& event, GstSample* sample) {
  QPaintEngine* engine = painter.paintEngine();
  if (engine == nullptr || engine->type() != QPaintEngine::Raster) return false;
  QPaintDevice* device = engine->paintDevice();
  if (device == nullptr || device->devType() != QInternal::Image) return false;
  auto* target = static_cast<QImage*>(device);
  // Shared pixels would be copied by the first write, away from the screen.
  if (!target->isDetached()) return false;
  const QImage::Format format = target->format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
       format != QImage::Format_ARGB32_Premultiplied) ||
      target->devicePixelRatio() != 1.0)
    return false;
  // Where this widget lies in the back buffer: a whole-pixel move only.
  const QTransform transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate) return false;
  const QPoint offset(qRound(transform.dx()), qRound(transform.dy()));
  if (offset.x() != transform.dx() || offset.y() != transform.dy()) return false;
  const QRect placed = rect().translated(offset);
  // Only a paint of the whole widget may write all of it.
  if (placed.isEmpty() || !target->rect().contains(placed) || !QRegion(rect()).subtracted(event.region()).isEmpty())
    return false;
  const auto stride = static_cast<int>(target->bytesPerLine());
  uchar* bits = target->bits() + static_cast<ptrdiff_t>(placed.y()) * stride + static_cast<ptrdiff_t>(placed.x()) * 4;
  return Converter.ConvertInto(sample, bits, stride, placed.size());
}

}  // namespace mova
