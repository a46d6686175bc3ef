#include "platform/qt/QtTimerService.h"

#include <limits>

namespace mova {

TQtTimerService::TQtTimerService() : Owner(std::make_unique<QObject>()) {}

TQtTimerService::~TQtTimerService() = default;

uint32_t TQtTimerService::StartPeriodic(uint32_t periodMs, std::function<void()> tick) {
  if (!tick || periodMs > static_cast<uint32_t>(std::numeric_limits<int>::max())) return 0;
  const uint32_t id = NextId;
  NextId = NextId == std::numeric_limits<uint32_t>::max() ? 1 : NextId + 1;
  auto* timer = new QTimer(Owner.get());  // owned by Owner
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(static_cast<int>(periodMs));
  QObject::connect(timer, &QTimer::timeout, timer, [tick = std::move(tick)] { tick(); });
  timer->start();
  Timers[id] = timer;
  return id;
}

void TQtTimerService::Kill(uint32_t id) {
  const auto it = Timers.find(id);
  if (it == Timers.end()) return;
  QTimer* timer = it->second;
  Timers.erase(it);
  timer->stop();
  // The timer may be the one whose tick is running right now: it is deleted
  // once control is back in the event loop, and being stopped it never ticks
  // again.
  timer->deleteLater();
}

}  // namespace mova
