// A scheduler over the in-memory store with one stored task, a message
// service that records, and a way to act on a modal dialog from inside its
// event loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <cstring>
#include <functional>
#include <memory>

#include "schedule/in_memory_backend.h"
#include "schedule/task_scheduler.h"
#include "support/test_messages.h"
#include "support/when_modal.h"

namespace zovedu_test {

inline schedule::TASK_TRIGGER Trigger(schedule::TASK_TRIGGER_TYPE type, int hour = 9, int minute = 5) {
  schedule::TASK_TRIGGER t;
  std::memset(static_cast<void*>(&t), 0, sizeof t);
  t.cbTriggerSize = sizeof t;
  t.TriggerType = type;
  t.wBeginYear = 2026;
  t.wBeginMonth = 12;
  t.wBeginDay = 10;
  t.wStartHour = static_cast<schedule::WORD>(hour);
  t.wStartMinute = static_cast<schedule::WORD>(minute);
  return t;
}

inline schedule::TASK_TRIGGER Weekly(schedule::WORD days, schedule::WORD interval = 1) {
  schedule::TASK_TRIGGER t = Trigger(schedule::TASK_TIME_TRIGGER_WEEKLY);
  t.Type.Weekly.WeeksInterval = interval;
  t.Type.Weekly.rgfDaysOfTheWeek = days;
  return t;
}


class PropsFixture : public ::testing::Test {
 protected:
  PropsFixture() {
    auto backend = std::make_unique<schedule::InMemoryBackend>();
    store = backend.get();
    scheduler = std::make_unique<TTaskScheduler>(std::move(backend));
    scheduler->SetActive(true);
  }

  // A stored task with every property set; listed by the scheduler.
  schedule::TaskRecord& Store(const std::string& name = "Morning.job") {
    schedule::TaskRecord r;
    r.name = name;
    r.applicationName = "/opt/zovedu/zovedu";
    r.parameters = "-run \"/home/u/My Task.cfg\"";
    r.workingDirectory = "/home/u";
    r.comment = "first line\nsecond line";
    r.creator = "Zovedu";
    r.account = "u";
    r.flags = schedule::TASK_FLAG_DELETE_WHEN_DONE | schedule::TASK_FLAG_HIDDEN |
              schedule::TASK_FLAG_SYSTEM_REQUIRED | schedule::TASK_FLAG_KILL_IF_GOING_ON_BATTERIES;
    r.priorityClass = schedule::HIGH_PRIORITY_CLASS;
    r.idleWait = 0x0005000A;  // 10 idle minutes, 5 deadline minutes
    r.data = {'a', 'b', '\n', 'c', '\n'};
    r.triggers = {Weekly(0x2 | 0x8)};
    store->tasks[name] = r;
    scheduler->Refresh();
    return store->tasks[name];
  }

  TTaskItem* Listed(const QString& name = QStringLiteral("Morning")) {
    TTaskItem* task = scheduler->FindTask(name);
    EXPECT_NE(task, nullptr);
    return task;
  }

  const schedule::TaskRecord& Stored(const std::string& name = "Morning.job") { return store->tasks.at(name); }

  TestMessages messages;
  schedule::InMemoryBackend* store = nullptr;
  std::unique_ptr<TTaskScheduler> scheduler;
};

}  // namespace zovedu_test
