// Recording operations: capture devices, their inputs and starting a capture.
#include <cmath>
#include <memory>

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
  std::lock_guard lock(s.mutex);
  if (s.captureReady) return Fail(ERROR_ALREADY, false);
  const int err = detail::BackendLocked().openCapture(device, s.loopbackListed);
  if (err != OK) return Fail(err, false);
  s.captureReady = true;
  s.captureDevice = device;
  SetError(OK);
  return true;
}

bool RecordFree() {
  auto& s = State();
  // Recordings end with their device. Stop them outside the lock: a stop
  // waits for a running callback, which may itself call into the library.
  std::vector<std::shared_ptr<Channel>> recordings;
  for (auto& ch : s.handles.takeAll()) recordings.push_back(std::move(ch));
  for (auto& ch : recordings) ch->stop();
  std::lock_guard lock(s.mutex);
  if (!s.captureReady) return Fail(ERROR_INIT, false);
  detail::BackendLocked().closeCapture();
  s.captureReady = false;
  SetError(OK);
  return true;
}

bool RecordGetDeviceInfo(DWORD device, DeviceInfo* info) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  // Enumerations walk 0, 1, 2…: take a fresh snapshot at the start of each.
  if (device == 0 || s.captureList.empty())
    s.captureList = detail::BackendLocked().captureDevices(s.loopbackListed);
  if (device >= s.captureList.size()) return Fail(ERROR_DEVICE, false);
  const auto& d = s.captureList[device];
  info->name = d.name;
  info->driver = d.id;
  info->flags = d.flags | DEVICE_ENABLED;
  if (s.captureReady && static_cast<int>(device) == s.captureDevice) info->flags |= DEVICE_INIT;
  SetError(OK);
  return true;
}

bool RecordGetInfo(RecordInfo* info) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.captureReady) return Fail(ERROR_INIT, false);
  auto& b = detail::BackendLocked();
  info->freq = b.captureRate();
  info->inputs = static_cast<DWORD>(b.inputs().size());
  info->singlein = true;
  info->flags = 0;
  SetError(OK);
  return true;
}

const char* RecordGetInputName(int input) {
  thread_local std::string name;
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.captureReady) return Fail(ERROR_INIT, static_cast<const char*>(nullptr));
  const auto inputs = detail::BackendLocked().inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size()))
    return Fail(ERROR_ILLPARAM, static_cast<const char*>(nullptr));
  name = inputs[input].name;
  SetError(OK);
  return name.c_str();
}

DWORD RecordGetInput(int input, float* volume) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.captureReady) return Fail(ERROR_INIT, DWORD(0xFFFFFFFF));
  const auto inputs = detail::BackendLocked().inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size())) return Fail(ERROR_ILLPARAM, DWORD(0xFFFFFFFF));
  const auto& in = inputs[input];
  if (volume) *volume = in.volume;
  SetError(OK);
  return (in.type & INPUT_TYPE_MASK) | (in.on ? 0 : INPUT_OFF);
}

bool RecordSetInput(int input, DWORD flags, float volume) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.captureReady) return Fail(ERROR_INIT, false);
  if ((flags & INPUT_ON) && (flags & INPUT_OFF)) return Fail(ERROR_ILLPARAM, false);
  if (!std::isfinite(volume)) return Fail(ERROR_ILLPARAM, false);
  const int on = (flags & INPUT_ON) ? 1 : (flags & INPUT_OFF) ? -1 : 0;
  if (!detail::BackendLocked().setInput(input, on, volume < 0 ? -1.0f : std::min(volume, 1.0f)))
    return Fail(ERROR_ILLPARAM, false);
  SetError(OK);
  return true;
}

HRECORD RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc) {
  auto& s = State();
  std::shared_ptr<Backend> backend;
  {
    std::lock_guard lock(s.mutex);
    if (!s.captureReady) return Fail(ERROR_INIT, HRECORD(0));
    backend = s.backend;
  }
  if (freq == 0 || freq > 384000) return Fail(ERROR_FORMAT, HRECORD(0));
  if (chans == 0 || chans > 2) return Fail(ERROR_FORMAT, HRECORD(0));
  CaptureFormat format;
  format.rate = freq;
  format.channels = chans;
  format.type = (flags & SAMPLE_FLOAT) ? SampleType::F32
                : (flags & SAMPLE_8BITS) ? SampleType::U8
                                         : SampleType::S16;
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
