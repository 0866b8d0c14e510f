#include "services/clock.h"

namespace {
class SystemClock final : public Clock {
 public:
  QDateTime now() const override { return QDateTime::currentDateTime(); }
};
SystemClock g_system;
Clock* g_clock = &g_system;
}  // namespace

Clock& AppClock() { return *g_clock; }
void SetClock(Clock* clock) { g_clock = clock ? clock : &g_system; }
