// Stream operations: push streams and mixers.
#include <memory>

#include "audio/channel_layout.h"
#include "audio/error_state.h"
#include "audio/library_state.h"
#include "audio/mixer_stream.h"
#include "audio/push_stream.h"
#include "audio/zaudio.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;
using detail::State;

namespace {

bool ValidFormat(DWORD freq, DWORD chans) {
  return freq > 0 && freq <= 384000 && chans > 0 && chans <= kMaxChannels;
}

}  // namespace

HSTREAM StreamCreate(DWORD freq, DWORD chans, DWORD flags, StreamProcKind proc) {
  if (proc != STREAMPROC_PUSH) return Fail(ERROR_ILLPARAM, HSTREAM(0));
  // Only decoding streams exist: nothing here plays through an output.
  if (!(flags & STREAM_DECODE)) return Fail(ERROR_NOTAVAIL, HSTREAM(0));
  if (!ValidFormat(freq, chans)) return Fail(ERROR_FORMAT, HSTREAM(0));
  auto& s = State();
  const HSTREAM handle = s.handles.newHandle();
  s.handles.addChannel(std::make_shared<PushStream>(handle, CaptureFormat{freq, chans, SampleTypeFor(flags)}));
  SetError(OK);
  return handle;
}

DWORD StreamPutData(HSTREAM handle, const void* buffer, DWORD length) {
  auto push = std::dynamic_pointer_cast<PushStream>(State().handles.channel(handle));
  if (!push) return Fail(ERROR_HANDLE, DATA_ERROR);
  const bool end = (length & STREAMPROC_END) != 0;
  const DWORD bytes = length & ~STREAMPROC_END;
  if (bytes > 0 && !buffer) return Fail(ERROR_ILLPARAM, DATA_ERROR);
  const std::int64_t queued = push->put(buffer, bytes, end);
  if (queued < 0) return Fail(ERROR_ENDED, DATA_ERROR);
  SetError(OK);
  return static_cast<DWORD>(std::min<std::int64_t>(queued, 0x7FFFFFFF));
}

bool StreamFree(HSTREAM handle) {
  auto ch = State().handles.channel(handle);
  if (!ch || ch->isRecording()) return Fail(ERROR_HANDLE, false);
  ch = State().handles.takeChannel(handle);
  if (!ch) return Fail(ERROR_HANDLE, false);
  detail::ReleaseChannel(ch);
  SetError(OK);
  return true;
}

HSTREAM Mixer_StreamCreate(DWORD freq, DWORD chans, DWORD flags) {
  if (!(flags & STREAM_DECODE)) return Fail(ERROR_NOTAVAIL, HSTREAM(0));
  if (!ValidFormat(freq, chans)) return Fail(ERROR_FORMAT, HSTREAM(0));
  auto& s = State();
  const HSTREAM handle = s.handles.newHandle();
  s.handles.addChannel(std::make_shared<MixerStream>(handle, CaptureFormat{freq, chans, SampleTypeFor(flags)},
                                                     (flags & MIXER_END) != 0));
  SetError(OK);
  return handle;
}

bool Mixer_StreamAddChannel(HSTREAM mixer, DWORD channel, DWORD) {
  auto m = std::dynamic_pointer_cast<MixerStream>(State().handles.channel(mixer));
  auto source = State().handles.channel(channel);
  if (!m || !source) return Fail(ERROR_HANDLE, false);
  if (!source->isDecode()) return Fail(ERROR_DECODE, false);
  if (!m->addSource(source)) return Fail(ERROR_FORMAT, false);
  SetError(OK);
  return true;
}

}  // namespace zaudio
