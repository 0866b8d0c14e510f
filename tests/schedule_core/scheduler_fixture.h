// A scheduler over the in-memory store, with helpers to put tasks in the
// store behind the scheduler's back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "schedule/in_memory_backend.h"
#include "schedule/task_scheduler.h"

namespace zovedu_test {

class SchedulerFixture : public ::testing::Test {
 protected:
  SchedulerFixture() {
    auto backend = std::make_unique<schedule::InMemoryBackend>();
    store = backend.get();
    scheduler = std::make_unique<TTaskScheduler>(std::move(backend));
    scheduler->SetActive(true);
  }

  schedule::TaskRecord& Store(const std::string& name, const std::string& creator = "Zovedu") {
    schedule::TaskRecord record;
    record.name = name;
    record.creator = creator;
    record.applicationName = "/usr/bin/zovedu";
    record.triggers.resize(1);
    record.triggers[0].TriggerType = schedule::TASK_EVENT_TRIGGER_AT_LOGON;
    return store->tasks[name] = record;
  }

  std::vector<QString> ListedNames() const {
    std::vector<QString> names;
    for (int i = 0; i < scheduler->Count(); ++i) names.push_back(scheduler->Tasks(i)->Name());
    return names;
  }

  schedule::InMemoryBackend* store = nullptr;
  std::unique_ptr<TTaskScheduler> scheduler;
};

// The message of the exception `action` throws as E; "" when none.
template <typename E, typename F>
QString MessageOf(F&& action) {
  try {
    action();
  } catch (const E& error) {
    return error.text();
  }
  return QString();
}

}  // namespace zovedu_test
