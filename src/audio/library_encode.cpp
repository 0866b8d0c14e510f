// Encoder operations: encoders attached to channels.
#include "audio/encode/encoder.h"
#include "audio/error_state.h"
#include "audio/library_state.h"
#include "audio/zaudio.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;
using detail::State;

namespace {

// The encoder behind a handle, with its channel.
struct Found {
  std::shared_ptr<Channel> channel;
  std::shared_ptr<Encoder> encoder;
};

Found FindEncoder(HENCODE handle) {
  Found f;
  f.channel = State().handles.ownerChannel(handle);
  if (f.channel) f.encoder = f.channel->encoder(handle);
  if (!f.encoder) SetError(ERROR_HANDLE);
  return f;
}

}  // namespace

HENCODE Encode_Start(DWORD handle, const char* target, DWORD flags, void*, void*) {
  auto ch = State().handles.channel(handle);
  if (!ch) return Fail(ERROR_HANDLE, HENCODE(0));
  if (!target) return Fail(ERROR_ILLPARAM, HENCODE(0));
  int error = OK;
  std::shared_ptr<Encoder> encoder = Encoder::Start(target, ch->format(), flags, error);
  if (!encoder) return Fail(error == OK ? ERROR_UNKNOWN : error, HENCODE(0));
  const HENCODE h = State().handles.newHandle();
  State().handles.addChild(h, handle);
  ch->attachEncoder(h, std::move(encoder));
  SetError(OK);
  return h;
}

bool Encode_Stop(DWORD handle) {
  auto& handles = State().handles;
  std::vector<std::shared_ptr<Encoder>> stopping;
  if (auto ch = handles.channel(handle)) {
    for (auto& [h, e] : ch->detachEncoders()) {
      handles.forgetChild(h);
      stopping.push_back(std::move(e));
    }
  } else {
    Found f = FindEncoder(handle);
    if (!f.encoder) return false;
    f.channel->detachEncoder(handle);
    handles.forgetChild(handle);
    stopping.push_back(std::move(f.encoder));
  }
  // Completing the output waits for the writer; nothing of the channel is
  // held meanwhile, so its capture goes on.
  bool ok = true;
  for (auto& e : stopping) ok = e->stop() && ok;
  if (!ok) return Fail(ERROR_UNKNOWN, false);
  SetError(OK);
  return true;
}

bool Encode_SetPaused(HENCODE handle, bool paused) {
  Found f = FindEncoder(handle);
  if (!f.encoder) return false;
  f.encoder->setPaused(paused);
  SetError(OK);
  return true;
}

QWORD Encode_GetCount(HENCODE handle, DWORD count) {
  Found f = FindEncoder(handle);
  if (!f.encoder) return QWORD(-1);
  if (count != ENCODE_COUNT_IN) return Fail(ERROR_ILLTYPE, QWORD(-1));
  SetError(OK);
  return f.encoder->countIn();
}

DWORD Encode_IsActive(HENCODE handle) {
  Found f = FindEncoder(handle);
  if (!f.encoder) return ACTIVE_STOPPED;
  SetError(OK);
  if (f.encoder->failure() != 0) return ACTIVE_STOPPED;
  return f.encoder->paused() ? ACTIVE_PAUSED : ACTIVE_PLAYING;
}

bool Encode_SetNotify(HENCODE handle, ENCODENOTIFYPROC proc, void* user) {
  Found f = FindEncoder(handle);
  if (!f.encoder) return false;
  if (proc)
    f.encoder->setNotify([handle, proc = std::move(proc), user](DWORD status) { proc(handle, status, user); });
  else
    f.encoder->setNotify(nullptr);
  SetError(OK);
  return true;
}

std::string Encode_GetMessage(HENCODE handle) {
  Found f = FindEncoder(handle);
  if (!f.encoder) return std::string();
  SetError(OK);
  return f.encoder->lastMessage();
}

}  // namespace zaudio
