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

// Locking: `mutex` guards the fields only and is never held while the backend
// is called, because a backend runs callbacks under its own lock and a callback
// may call back into the library. `lifecycle` serialises Init/Free and
// RecordInit/RecordFree (held across their backend calls); callbacks must not
// call those.
struct LibraryState {
  std::mutex mutex;
  std::mutex lifecycle;
  std::shared_ptr<Backend> backend;
  bool loopbackListed = false;
  bool outputReady = false;
  int outputDevice = -1;
  bool captureReady = false;
  int captureDevice = -1;
  std::vector<BackendDevice> captureList;  // enumeration snapshot, refreshed at index 0
  std::atomic<DWORD> versionOverride{0};
  std::atomic<DWORD> refusedEffectType{0};  // test hook: an effect the library lacks
  std::atomic<DWORD> fxVersionOverride{0};
  HandleTable handles;
};

LibraryState& State();
// The backend, creating the default one on first use. Caller holds State().mutex.
Backend& BackendLocked();

// What a call needs, copied under the mutex so that the backend is called
// without it.
struct Snapshot {
  std::shared_ptr<Backend> backend;
  bool loopbackListed = false;
  bool outputReady = false;
  bool captureReady = false;
  int captureDevice = -1;
};
Snapshot Take();
// The backend when the given side (&Snapshot::outputReady or
// &Snapshot::captureReady) is initialised; otherwise sets ERROR_INIT and
// returns nothing.
std::shared_ptr<Backend> ReadyBackend(bool Snapshot::*side);

// Ends a channel taken out of the handle table: stops it (a capture hands on
// what it holds first), marks it freed for the mixers that use it, and stops
// and completes its encoders.
void ReleaseChannel(const std::shared_ptr<Channel>& channel);
void ReleaseChannels(const std::vector<std::shared_ptr<Channel>>& channels);

}  // namespace zaudio::detail
