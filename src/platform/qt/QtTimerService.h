#pragma once
// Periodic timers on the Qt event loop: each tick runs on the window thread
// between two events, never at the same time as a message handler.
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>

#include "framework/TimerService.h"

namespace mova {

class TQtTimerService final : public ITimerService {
 public:
  TQtTimerService();
  ~TQtTimerService() override;
  TQtTimerService(const TQtTimerService&) = delete;
  TQtTimerService& operator=(const TQtTimerService&) = delete;

  uint32_t StartPeriodic(uint32_t periodMs, std::function<void()> tick) override;
  void Kill(uint32_t id) override;

  size_t RunningCount() const { return Timers.size(); }

 private:
  std::unique_ptr<QObject> Owner;  // parent of every timer, so none outlives the service
  std::map<uint32_t, QTimer*> Timers;
  uint32_t NextId = 1;
};

}  // namespace mova
