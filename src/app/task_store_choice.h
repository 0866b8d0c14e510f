// Which store the main window's scheduler uses: the user's service manager,
// or one a test installs (memory, a private manager).
#pragma once

#include <functional>
#include <memory>

#include "schedule/task_backend.h"

using TaskBackendFactory = std::function<std::unique_ptr<schedule::TaskBackend>()>;

// An empty factory restores the real store.
void SetTaskBackendFactory(TaskBackendFactory factory);
std::unique_ptr<schedule::TaskBackend> MakeTaskBackend();
