// Core operations: versions, options, the output side and channel control.
#include <cmath>

#include "audio/error_state.h"
#include "audio/library_state.h"
#include "audio/zaudio.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;
using detail::State;

DWORD GetVersion() {
  const DWORD v = State().versionOverride;
  return v ? v : VERSION;
}

DWORD FX_GetVersion() {
  const DWORD v = State().fxVersionOverride;
  return v ? v : FX_VERSION;
}

bool SetConfig(DWORD option, DWORD value) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (option != CONFIG_REC_LOOPBACK) return Fail(ERROR_ILLTYPE, false);
  s.loopbackListed = value != 0;
  s.captureList.clear();
  SetError(OK);
  return true;
}

DWORD GetConfig(DWORD option) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (option != CONFIG_REC_LOOPBACK) return Fail(ERROR_ILLTYPE, DWORD(0xFFFFFFFF));
  SetError(OK);
  return s.loopbackListed ? 1 : 0;
}

bool Init(int device, DWORD freq, DWORD) {
  auto& s = State();
  std::lock_guard life(s.lifecycle);
  const detail::Snapshot snap = detail::Take();
  if (snap.outputReady) return Fail(ERROR_ALREADY, false);
  if (freq == 0 || freq > 384000) return Fail(ERROR_FREQ, false);
  const int err = snap.backend->initOutput(device);
  if (err != OK) return Fail(err, false);
  std::lock_guard lock(s.mutex);
  s.outputReady = true;
  s.outputDevice = device;
  SetError(OK);
  return true;
}

bool RecordFree();

bool Free() {
  RecordFree();
  auto& s = State();
  std::lock_guard life(s.lifecycle);
  detail::ReleaseChannels(s.handles.takeAll());
  const detail::Snapshot snap = detail::Take();
  if (!snap.outputReady) return Fail(ERROR_INIT, false);
  snap.backend->freeOutput();
  std::lock_guard lock(s.mutex);
  s.outputReady = false;
  SetError(OK);
  return true;
}


bool GetInfo(Info* info) {
  const auto backend = detail::ReadyBackend(&detail::Snapshot::outputReady);
  if (!backend) return false;
  OutputInfo oi;
  if (!backend->outputInfo(oi)) return Fail(ERROR_DEVICE, false);
  info->freq = oi.rate;
  info->speakers = oi.speakers;
  SetError(OK);
  return true;
}

DWORD GetDevice() {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.outputReady) return Fail(ERROR_INIT, DWORD(0xFFFFFFFF));
  SetError(OK);
  return static_cast<DWORD>(s.outputDevice);
}

bool GetDeviceInfo(DWORD device, DeviceInfo* info) {
  const auto devices = detail::Take().backend->outputDevices();
  if (device >= devices.size()) return Fail(ERROR_DEVICE, false);
  info->name = devices[device].name;
  info->driver = devices[device].id;
  info->flags = devices[device].flags | DEVICE_ENABLED;
  SetError(OK);
  return true;
}

bool SetVolume(float volume) {
  const auto backend = detail::ReadyBackend(&detail::Snapshot::outputReady);
  if (!backend) return false;
  if (!std::isfinite(volume) || volume < 0 || volume > 1) return Fail(ERROR_ILLPARAM, false);
  if (!backend->setOutputVolume(volume)) return Fail(ERROR_UNKNOWN, false);
  SetError(OK);
  return true;
}

float GetVolume() {
  const auto backend = detail::ReadyBackend(&detail::Snapshot::outputReady);
  if (!backend) return -1.0f;
  const float v = backend->outputVolume();
  if (v < 0) return Fail(ERROR_UNKNOWN, -1.0f);
  SetError(OK);
  return v;
}

}  // namespace zaudio
