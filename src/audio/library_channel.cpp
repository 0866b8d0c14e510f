// Channel operations: control, level, data, locking, the processing chain
// and syncs.
#include "audio/error_state.h"
#include "audio/fft.h"
#include "audio/file_stream.h"
#include "audio/library_state.h"
#include "audio/zaudio.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;
using detail::State;

namespace {
std::shared_ptr<Channel> Find(DWORD handle) {
  auto ch = State().handles.channel(handle);
  if (!ch) SetError(ERROR_HANDLE);
  return ch;
}

// The channel a child handle (effect, DSP, sync) belongs to, checked against
// the channel the caller names.
std::shared_ptr<Channel> OwnerOf(DWORD child) {
  auto ch = State().handles.ownerChannel(child);
  if (!ch) SetError(ERROR_HANDLE);
  return ch;
}
}  // namespace

bool ChannelPlay(DWORD handle, bool restart) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (ch->isDecode()) return Fail(ERROR_DECODE, false);
  if (restart)
    if (auto file = std::dynamic_pointer_cast<FileStream>(ch)) file->setPosition(0);
  if (!ch->play()) return Fail(ERROR_START, false);
  SetError(OK);
  return true;
}

bool ChannelPause(DWORD handle) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (ch->isDecode()) return Fail(ERROR_DECODE, false);
  if (ch->activity() == ACTIVE_PAUSED) return Fail(ERROR_ALREADY, false);
  if (!ch->pause()) return Fail(ERROR_NOPLAY, false);
  SetError(OK);
  return true;
}

// Stopping a recording also frees it: its handle and its encoders are gone
// afterwards. Streams keep their handle until StreamFree.
bool ChannelStop(DWORD handle) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (ch->isRecording()) {
    ch = State().handles.takeChannel(handle);
    if (!ch) return Fail(ERROR_HANDLE, false);
    detail::ReleaseChannel(ch);
  } else {
    ch->stop();
  }
  SetError(OK);
  return true;
}

DWORD ChannelIsActive(DWORD handle) {
  auto ch = Find(handle);
  if (!ch) return ACTIVE_STOPPED;
  SetError(OK);
  return ch->activity();
}

DWORD ChannelGetLevel(DWORD handle) {
  auto ch = Find(handle);
  if (!ch) return 0xFFFFFFFF;
  int error = OK;
  const DWORD level = ch->getLevel(error);
  SetError(error);
  return level;
}

QWORD ChannelGetLongestBlockTime(DWORD handle) {
  auto ch = Find(handle);
  if (!ch) return 0;
  SetError(OK);
  return ch->longestBlockMicros();
}

DWORD ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  auto ch = Find(handle);
  if (!ch) return DATA_ERROR;
  if (!buffer && length) return Fail(ERROR_ILLPARAM, DATA_ERROR);
  if (length == DATA_FFT1024) return detail::GetFft1024(*ch, static_cast<float*>(buffer));
  int error = OK;
  const DWORD got = ch->getData(buffer, length, error);
  SetError(error);
  return got;
}

bool ChannelLock(DWORD handle, bool lock) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (lock)
    ch->lock();
  else if (!ch->unlock())
    return Fail(ERROR_ALREADY, false);
  SetError(OK);
  return true;
}

HFX ChannelSetFX(DWORD handle, DWORD type, int priority) {
  auto ch = Find(handle);
  if (!ch) return 0;
  auto effect = type == State().refusedEffectType.load() ? nullptr : CreateEffect(type);
  if (!effect) return Fail(ERROR_ILLTYPE, HFX(0));
  const HFX fx = State().handles.newHandle();
  State().handles.addChild(fx, handle);
  ch->addEffect(fx, priority, std::move(effect));
  SetError(OK);
  return fx;
}

bool ChannelRemoveFX(DWORD handle, HFX fx) { return ChannelRemoveDSP(handle, fx); }

bool FXGetParameters(HFX fx, void* params) {
  auto ch = OwnerOf(fx);
  if (!ch) return false;
  if (!params || !ch->getEffectParameters(fx, params)) return Fail(ERROR_ILLPARAM, false);
  SetError(OK);
  return true;
}

bool FXSetParameters(HFX fx, const void* params) {
  auto ch = OwnerOf(fx);
  if (!ch) return false;
  if (!params || !ch->setEffectParameters(fx, params)) return Fail(ERROR_ILLPARAM, false);
  SetError(OK);
  return true;
}

HDSP ChannelSetDSP(DWORD handle, DSPPROC proc, void* user, int priority) {
  auto ch = Find(handle);
  if (!ch) return 0;
  if (!proc) return Fail(ERROR_ILLPARAM, HDSP(0));
  const HDSP dsp = State().handles.newHandle();
  State().handles.addChild(dsp, handle);
  ch->addDsp(dsp, priority, std::move(proc), user);
  SetError(OK);
  return dsp;
}

// Effects and DSP functions share the chain, so either call removes either.
bool ChannelRemoveDSP(DWORD handle, HDSP dsp) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (State().handles.ownerOf(dsp) != handle || !ch->removeFromChain(dsp)) return Fail(ERROR_HANDLE, false);
  State().handles.forgetChild(dsp);
  SetError(OK);
  return true;
}

HSYNC ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC proc, void* user) {
  auto ch = Find(handle);
  if (!ch) return 0;
  if (type != SYNC_END && type != SYNC_DEV_FAIL) return Fail(ERROR_ILLTYPE, HSYNC(0));
  if (!proc) return Fail(ERROR_ILLPARAM, HSYNC(0));
  const HSYNC sync = State().handles.newHandle();
  State().handles.addChild(sync, handle);
  ch->addSync(sync, type, std::move(proc), user);
  SetError(OK);
  return sync;
}

bool ChannelRemoveSync(DWORD handle, HSYNC sync) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (State().handles.ownerOf(sync) != handle || !ch->removeSync(sync)) return Fail(ERROR_HANDLE, false);
  State().handles.forgetChild(sync);
  SetError(OK);
  return true;
}

}  // namespace zaudio
