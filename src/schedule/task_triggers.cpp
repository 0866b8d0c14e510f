#include <cstring>

#include "schedule/task_scheduler.h"
#include "schedule/trigger_text.h"

namespace {

schedule::TASK_TRIGGER NewTriggerRecord() {
  schedule::TASK_TRIGGER record;
  std::memset(static_cast<void*>(&record), 0, sizeof record);  // the type part's unused bytes too
  record.cbTriggerSize = sizeof record;
  return record;
}

}  // namespace

// ---- TTrigger ----

void TTrigger::SetTriggerType(schedule::TASK_TRIGGER_TYPE type) { Trigger.TriggerType = type; }

void TTrigger::SetStartDate(const QDate& date) {
  Trigger.wBeginYear = static_cast<schedule::WORD>(date.year());
  Trigger.wBeginMonth = static_cast<schedule::WORD>(date.month());
  Trigger.wBeginDay = static_cast<schedule::WORD>(date.day());
}

void TTrigger::SetStartTime(const QTime& time) {
  Trigger.wStartHour = static_cast<schedule::WORD>(time.hour());
  Trigger.wStartMinute = static_cast<schedule::WORD>(time.minute());
}

void TTrigger::SetTypeData(const schedule::TRIGGER_TYPE_UNION& data) {
  std::memcpy(static_cast<void*>(&Trigger.Type), &data, sizeof data);
}

QString TTrigger::TriggerString() const { return schedule::TriggerText(Trigger); }

// ---- TTriggers ----

TTrigger& TTriggers::Add() {
  owner_->Record();  // the task must be activated
  auto trigger = std::make_unique<TTrigger>();
  trigger->Trigger = NewTriggerRecord();
  items_.push_back(std::move(trigger));
  owner_->MarkChanged();
  return *items_.back();
}

void TTriggers::Clear() {
  owner_->Record();
  items_.clear();
  owner_->MarkChanged();
}

TTrigger& TTriggers::Items(int index) {
  if (index < 0 || index >= Count())
    throw ETriggerError(QStringLiteral("Trigger index out of bounds (%1)").arg(index));
  return *items_[static_cast<std::size_t>(index)];
}

void TTriggers::Load() {
  const schedule::TaskRecord& record = owner_->Record();
  items_.clear();
  for (const schedule::TASK_TRIGGER& stored : record.triggers) {
    auto trigger = std::make_unique<TTrigger>();
    std::memcpy(static_cast<void*>(&trigger->Trigger), &stored, sizeof stored);
    items_.push_back(std::move(trigger));
  }
}

void TTriggers::Apply() {
  schedule::TaskRecord& record = owner_->Record();
  record.triggers.clear();
  for (const auto& trigger : items_) record.triggers.push_back(trigger->Trigger);
  owner_->MarkChanged();
}

void TTriggers::ListTriggerStrings(QStringList& list) const {
  list.clear();
  if (items_.empty()) {
    list << QStringLiteral("<Task not scheduled>");
  } else if (items_.size() == 1) {
    list << items_.front()->TriggerString();
  } else {
    for (std::size_t i = 0; i < items_.size(); ++i)
      list << QStringLiteral("%1. %2").arg(QString::number(i + 1), items_[i]->TriggerString());
  }
}
