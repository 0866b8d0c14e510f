// "Now" for naming and schedules, replaceable by tests.
#pragma once

#include <QDateTime>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
};

Clock& AppClock();
void SetClock(Clock* clock);  // nullptr restores the system clock

// A clock that stays where a test puts it.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(QDateTime t) : t_(std::move(t)) {}
  QDateTime now() const override { return t_; }
  void set(QDateTime t) { t_ = std::move(t); }

 private:
  QDateTime t_;
};
