// WMA writer operations: WMA files written through an encoder queue.
#include <map>
#include <memory>
#include <mutex>

#include "audio/codec_module.h"
#include "audio/encode/encoder.h"
#include "audio/error_state.h"
#include "audio/library_state.h"
#include "audio/wma_writer.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;

namespace {

// Open WMA writers by handle. They belong to no channel: the caller writes.
struct Writers {
  std::mutex mutex;
  std::map<HWMENCODE, std::shared_ptr<Encoder>> open;
};

Writers& TheWriters() {
  static Writers writers;
  return writers;
}

std::shared_ptr<Encoder> Find(HWMENCODE handle) {
  auto& w = TheWriters();
  std::lock_guard lock(w.mutex);
  auto it = w.open.find(handle);
  if (it == w.open.end()) return Fail(ERROR_HANDLE, std::shared_ptr<Encoder>());
  return it->second;
}

}  // namespace

HWMENCODE WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate, const char* file) {
  if (!file) return Fail(ERROR_ILLPARAM, HWMENCODE(0));
  if (flags & (WMA_ENCODE_PRO | WMA_ENCODE_24BIT | WMA_ENCODE_RATES_VBR)) return Fail(ERROR_NOTAVAIL, HWMENCODE(0));
  const CaptureFormat input{freq, chans, SampleTypeFor(flags)};
  int error = OK;
  // Float samples reach the codec as floats, integers as they are.
  std::shared_ptr<Encoder> encoder = Encoder::StartWith(
      [&](PcmEncoding encoding, int& err) -> std::unique_ptr<EncoderOutput> {
        const CodecModule* codecs = Codecs();
        if (!codecs) {
          err = ERROR_NOTAVAIL;
          return nullptr;
        }
        return codecs->createWmaOutput(file, WmaFileSettings{freq, chans, encoding, bitrate}, err);
      },
      input, 0, error);
  if (!encoder) return Fail(error == OK ? ERROR_UNKNOWN : error, HWMENCODE(0));
  const HWMENCODE handle = detail::State().handles.newHandle();
  auto& w = TheWriters();
  std::lock_guard lock(w.mutex);
  w.open[handle] = std::move(encoder);
  SetError(OK);
  return handle;
}

bool WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length) {
  auto encoder = Find(handle);
  if (!encoder) return false;
  if (length > 0 && !buffer) return Fail(ERROR_ILLPARAM, false);
  if (encoder->failure() != 0) return Fail(ERROR_UNKNOWN, false);
  encoder->feed(buffer, length);
  SetError(OK);
  return true;
}

bool WMA_EncodeClose(HWMENCODE handle) {
  if (handle == 0) {
    SetError(OK);
    return true;
  }
  std::shared_ptr<Encoder> encoder;
  {
    auto& w = TheWriters();
    std::lock_guard lock(w.mutex);
    auto it = w.open.find(handle);
    if (it == w.open.end()) return Fail(ERROR_HANDLE, false);
    encoder = std::move(it->second);
    w.open.erase(it);
  }
  if (!encoder->stop()) return Fail(ERROR_UNKNOWN, false);
  SetError(OK);
  return true;
}

bool WMA_EncodeSetNotify(HWMENCODE handle, ENCODENOTIFYPROC proc, void* user) {
  auto encoder = Find(handle);
  if (!encoder) return false;
  if (proc)
    encoder->setNotify([handle, proc = std::move(proc), user](DWORD status) { proc(handle, status, user); });
  else
    encoder->setNotify(nullptr);
  SetError(OK);
  return true;
}

std::string WMA_EncodeGetMessage(HWMENCODE handle) {
  auto encoder = Find(handle);
  if (!encoder) return std::string();
  SetError(OK);
  return encoder->lastMessage();
}

}  // namespace zaudio
