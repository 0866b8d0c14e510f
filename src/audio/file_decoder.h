// Decodes one audio file (or a block of memory) to interleaved 16-bit
// samples at the file's own rate and channels, on the caller's thread.
// Knows the file's exact length in frames (from headers the container keeps
// exactly, otherwise from a scan of its packets without decoding) and seeks
// to any frame exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/zaudio.h"

namespace zaudio {

// The formats each stream creator accepts.
enum class FileKind { Plain, Aac, Mp4, Ape, Flac, Mpc, Spx, Tta, Wv, Wma };

// Where the bytes come from: a file (a window of it: offset, length 0 = to
// its end) or memory the caller keeps valid.
struct FileSource {
  bool memory = false;
  std::string path;
  const std::uint8_t* data = nullptr;
  QWORD offset = 0;
  QWORD length = 0;
};

class FileDecoder {
 public:
  // nullptr with error set: ERROR_FILEOPEN (cannot read), ERROR_FILEFORM (not
  // this creator's format, or damaged beyond use), ERROR_FORMAT (more
  // channels than the library carries), ERROR_NOTAVAIL (the decoders could
  // not be loaded).
  static std::unique_ptr<FileDecoder> open(const FileSource& source, FileKind kind, int& error);
  virtual ~FileDecoder() = default;

  virtual DWORD rate() const = 0;
  virtual DWORD channels() const = 0;
  virtual DWORD ctype() const = 0;
  // Frames from start to end. Exact once the end has been decoded; before
  // that as the headers or the packet scan found it.
  virtual std::uint64_t lengthFrames() const = 0;
  // Frames delivered so far (the next read starts there).
  virtual std::uint64_t position() const = 0;
  // Everything has been delivered.
  virtual bool ended() = 0;

  // Up to `frames` frames into out; fewer only at the end (0 there). A damaged
  // stretch of the file is skipped; a file that stops making sense ends.
  virtual size_t read(std::int16_t* out, size_t frames) = 0;
  // Moves to an exact frame (≤ length). False when the file cannot get there;
  // the position is then wherever the attempt left it, never past the end.
  virtual bool seek(std::uint64_t frame) = 0;
};

}  // namespace zaudio
