// The library's global state: the backend in use, the options, whether the
// output and capture sides are initialised, and the handle table.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/backend.h"
#include "audio/handle_table.h"

namespace zaudio::detail {

struct LibraryState {
  std::mutex mutex;  // guards everything but the handle table
  std::shared_ptr<Backend> backend;
  bool loopbackListed = false;
  bool outputReady = false;
  int outputDevice = -1;
  bool captureReady = false;
  int captureDevice = -1;
  std::vector<BackendDevice> captureList;  // enumeration snapshot, refreshed at index 0
  std::atomic<DWORD> versionOverride{0};
  std::atomic<DWORD> fxVersionOverride{0};
  HandleTable handles;
};

LibraryState& State();
// The backend, creating the default one on first use. Caller holds State().mutex.
Backend& BackendLocked();

}  // namespace zaudio::detail
