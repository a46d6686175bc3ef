#include "platform/gstreamer/GstVideoWidget.h"

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

void TFrameSlot::Store(QImage frame, int64_t time) {
  std::lock_guard<std::mutex> guard(Lock);
  Frame = std::move(frame);
  Time = time;
  ++Serial;
}

QImage TFrameSlot::Newest() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Frame;  // implicitly shared: the copy is cheap and safe to paint from
}

TFrameSlot::TNewest TFrameSlot::NewestWithSerial() const {
  std::lock_guard<std::mutex> guard(Lock);
  return TNewest{Frame, Serial, Time, Seek};
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

void TGstVideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const TFrameSlot::TNewest newest = Frames->NewestWithSerial();
  const QImage& frame = newest.Frame;
  if (frame.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  const QRect area = rect();
  if (frame.size() == area.size() && devicePixelRatioF() == 1.0) {
    // Already scaled by the pipeline: a plain copy.
    painter.drawImage(area.topLeft(), frame);
  } else {
    // Smooth (bilinear) scaling: zoomed pictures must not look blocky.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(area, frame);
  }
  if (Stats) Stats->Painted(newest);
}

}  // namespace mova
