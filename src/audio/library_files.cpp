// File streams, and the positions, lengths and facts of channels.
#include <cmath>
#include <memory>

#include "audio/error_state.h"
#include "audio/file_decoder.h"
#include "audio/file_stream.h"
#include "audio/library_state.h"
#include "audio/zaudio.h"

namespace zaudio {

using detail::Fail;
using detail::SetError;
using detail::State;

namespace {

HSTREAM CreateFileStream(FileKind kind, bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  if (!file) return Fail(ERROR_FILEOPEN, HSTREAM(0));
  std::shared_ptr<Backend> backend;
  if (!(flags & STREAM_DECODE)) {
    // A stream that plays needs the output.
    backend = detail::ReadyBackend(&detail::Snapshot::outputReady);
    if (!backend) return 0;
  }
  FileSource source;
  source.memory = mem;
  if (mem)
    source.data = reinterpret_cast<const std::uint8_t*>(file);
  else
    source.path = file;
  source.offset = offset;
  source.length = length;
  int error = OK;
  auto decoder = FileDecoder::open(source, kind, error);
  if (!decoder) return Fail(error, HSTREAM(0));
  auto& s = State();
  const HSTREAM handle = s.handles.newHandle();
  s.handles.addChannel(std::make_shared<FileStream>(handle, std::move(decoder), flags & STREAM_DECODE, backend));
  SetError(OK);
  return handle;
}

std::shared_ptr<Channel> Find(DWORD handle) {
  auto ch = State().handles.channel(handle);
  if (!ch) SetError(ERROR_HANDLE);
  return ch;
}

// The file stream behind a handle for a position call in `mode`; sets the
// error when there is none.
std::shared_ptr<FileStream> FindFile(DWORD handle, DWORD mode) {
  auto ch = Find(handle);
  if (!ch) return nullptr;
  auto file = std::dynamic_pointer_cast<FileStream>(ch);
  if (!file || mode != POS_BYTE) return Fail(ERROR_NOTAVAIL, std::shared_ptr<FileStream>());
  return file;
}

}  // namespace

HSTREAM StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Plain, mem, file, offset, length, flags);
}
HSTREAM AAC_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Aac, mem, file, offset, length, flags);
}
HSTREAM MP4_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Mp4, mem, file, offset, length, flags);
}
HSTREAM APE_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Ape, mem, file, offset, length, flags);
}
HSTREAM FLAC_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Flac, mem, file, offset, length, flags);
}
HSTREAM MPC_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Mpc, mem, file, offset, length, flags);
}
HSTREAM SPX_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Spx, mem, file, offset, length, flags);
}
HSTREAM TTA_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Tta, mem, file, offset, length, flags);
}
HSTREAM WV_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Wv, mem, file, offset, length, flags);
}
HSTREAM WMA_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags) {
  return CreateFileStream(FileKind::Wma, mem, file, offset, length, flags);
}

bool ChannelGetInfo(DWORD handle, ChannelInfo* info) {
  auto ch = Find(handle);
  if (!ch) return false;
  if (!info) return Fail(ERROR_ILLPARAM, false);
  info->freq = ch->format().rate;
  info->chans = ch->format().channels;
  info->flags = ch->creationFlags();
  info->ctype = ch->channelType();
  SetError(OK);
  return true;
}

QWORD ChannelGetLength(DWORD handle, DWORD mode) {
  auto file = FindFile(handle, mode);
  if (!file) return QWORD(-1);
  SetError(OK);
  return file->lengthFrames() * static_cast<QWORD>(file->format().frameBytes());
}

QWORD ChannelGetPosition(DWORD handle, DWORD mode) {
  auto file = FindFile(handle, mode);
  if (!file) return QWORD(-1);
  SetError(OK);
  return file->positionFrames() * static_cast<QWORD>(file->format().frameBytes());
}

bool ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode) {
  auto file = FindFile(handle, mode);
  if (!file) return false;
  // A position inside a frame means that frame.
  const int error = file->setPosition(pos / static_cast<QWORD>(file->format().frameBytes()));
  SetError(error);
  return error == OK;
}

QWORD ChannelSeconds2Bytes(DWORD handle, double seconds) {
  auto ch = Find(handle);
  if (!ch) return QWORD(-1);
  if (!std::isfinite(seconds) || seconds < 0) return Fail(ERROR_ILLPARAM, QWORD(-1));
  SetError(OK);
  const auto frames = static_cast<QWORD>(std::floor(seconds * ch->format().rate + 1e-9));
  return frames * static_cast<QWORD>(ch->format().frameBytes());
}

double ChannelBytes2Seconds(DWORD handle, QWORD bytes) {
  auto ch = Find(handle);
  if (!ch) return -1.0;
  SetError(OK);
  const QWORD frames = bytes / static_cast<QWORD>(ch->format().frameBytes());
  return static_cast<double>(frames) / ch->format().rate;
}

}  // namespace zaudio
