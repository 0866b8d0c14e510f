#include "app/task_store_choice.h"

#include "schedule/systemd/systemd_backend.h"

namespace {
TaskBackendFactory& Factory() {
  static TaskBackendFactory factory;
  return factory;
}
}  // namespace

void SetTaskBackendFactory(TaskBackendFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<schedule::TaskBackend> MakeTaskBackend() {
  if (Factory()) return Factory()();
  return std::make_unique<schedule::SystemdBackend>();
}
