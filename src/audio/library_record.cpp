// Recording operations: capture devices, their inputs and starting a capture.
#include <cmath>
#include <memory>

#include "audio/channel_layout.h"
#include "audio/error_state.h"
#include "audio/library_state.h"
#include "audio/record_channel.h"
#include "audio/zaudio.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;
using detail::State;

bool RecordInit(int device) {
  auto& s = State();
  std::lock_guard life(s.lifecycle);
  const detail::Snapshot snap = detail::Take();
  if (snap.captureReady) return Fail(ERROR_ALREADY, false);
  // A device is the entry of the last listing (RecordGetDeviceInfo), opened
  // by its id: another device that took its place since cannot be opened by
  // mistake, and one that is gone fails.
  std::string id;
  if (device >= 0) {
    std::vector<BackendDevice> list;
    {
      std::lock_guard lock(s.mutex);
      list = s.captureList;
    }
    if (list.empty()) {
      list = snap.backend->captureDevices(snap.loopbackListed);
      std::lock_guard lock(s.mutex);
      s.captureList = list;
    }
    if (static_cast<size_t>(device) >= list.size()) return Fail(ERROR_DEVICE, false);
    id = list[device].id;
  } else if (device != -1) {
    return Fail(ERROR_DEVICE, false);
  }
  const int err = snap.backend->openCapture(id);
  if (err != OK) return Fail(err, false);
  std::lock_guard lock(s.mutex);
  s.captureReady = true;
  s.captureDevice = device;
  SetError(OK);
  return true;
}

bool RecordFree() {
  auto& s = State();
  std::lock_guard life(s.lifecycle);
  // Recordings end with their device (a stop waits for a running callback);
  // streams, mixers and their encoders stay.
  detail::ReleaseChannels(s.handles.takeIf([](const Channel& ch) { return ch.isRecording(); }));
  const detail::Snapshot snap = detail::Take();
  if (!snap.captureReady) return Fail(ERROR_INIT, false);
  snap.backend->closeCapture();
  std::lock_guard lock(s.mutex);
  s.captureReady = false;
  SetError(OK);
  return true;
}

bool RecordGetDeviceInfo(DWORD device, DeviceInfo* info) {
  auto& s = State();
  const detail::Snapshot snap = detail::Take();
  BackendDevice d;
  {
    std::unique_lock lock(s.mutex);
    // Enumerations walk 0, 1, 2…: take a fresh snapshot at the start of each.
    if (device == 0 || s.captureList.empty()) {
      lock.unlock();
      auto list = snap.backend->captureDevices(snap.loopbackListed);
      lock.lock();
      s.captureList = std::move(list);
    }
    if (device >= s.captureList.size()) return Fail(ERROR_DEVICE, false);
    d = s.captureList[device];
  }
  info->name = d.name;
  info->driver = d.id;
  info->flags = d.flags | DEVICE_ENABLED;
  if (snap.captureReady && static_cast<int>(device) == snap.captureDevice) info->flags |= DEVICE_INIT;
  SetError(OK);
  return true;
}


bool RecordGetInfo(RecordInfo* info) {
  const auto backend = detail::ReadyBackend(&detail::Snapshot::captureReady);
  if (!backend) return false;
  info->freq = backend->captureRate();
  info->inputs = static_cast<DWORD>(backend->inputs().size());
  info->singlein = true;
  info->flags = 0;
  SetError(OK);
  return true;
}

const char* RecordGetInputName(int input) {
  thread_local std::string name;
  const auto backend = detail::ReadyBackend(&detail::Snapshot::captureReady);
  if (!backend) return nullptr;
  const auto inputs = backend->inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size()))
    return Fail(ERROR_ILLPARAM, static_cast<const char*>(nullptr));
  name = inputs[input].name;
  SetError(OK);
  return name.c_str();
}

DWORD RecordGetInput(int input, float* volume) {
  const auto backend = detail::ReadyBackend(&detail::Snapshot::captureReady);
  if (!backend) return 0xFFFFFFFF;
  const auto inputs = backend->inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size())) return Fail(ERROR_ILLPARAM, DWORD(0xFFFFFFFF));
  const auto& in = inputs[input];
  if (volume) *volume = in.volume;
  SetError(OK);
  return (in.type & INPUT_TYPE_MASK) | (in.on ? 0 : INPUT_OFF);
}

bool RecordSetInput(int input, DWORD flags, float volume) {
  const auto backend = detail::ReadyBackend(&detail::Snapshot::captureReady);
  if (!backend) return false;
  if ((flags & INPUT_ON) && (flags & INPUT_OFF)) return Fail(ERROR_ILLPARAM, false);
  if (!std::isfinite(volume)) return Fail(ERROR_ILLPARAM, false);
  const int on = (flags & INPUT_ON) ? 1 : (flags & INPUT_OFF) ? -1 : 0;
  if (!backend->setInput(input, on, volume < 0 ? -1.0f : std::min(volume, 1.0f)))
    return Fail(ERROR_ILLPARAM, false);
  SetError(OK);
  return true;
}

HRECORD RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc) {
  auto& s = State();
  const auto backend = detail::ReadyBackend(&detail::Snapshot::captureReady);
  if (!backend) return 0;
  if (freq == 0 || freq > 384000) return Fail(ERROR_FORMAT, HRECORD(0));
  if (chans == 0 || chans > kMaxChannels) return Fail(ERROR_FORMAT, HRECORD(0));
  CaptureFormat format;
  format.rate = freq;
  format.channels = chans;
  format.type = SampleTypeFor(flags);
  const HRECORD handle = s.handles.newHandle();
  auto channel = std::make_shared<RecordChannel>(handle, format, std::move(proc));
  s.handles.addChannel(channel);
  const int err = channel->start(*backend, (flags & RECORD_PAUSE) != 0);
  if (err != OK) {
    s.handles.takeChannel(handle);
    return Fail(err, HRECORD(0));
  }
  SetError(OK);
  return handle;
}

}  // namespace zaudio
