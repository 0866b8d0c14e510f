// Decodes one audio file (or a block of memory) with FFmpeg to interleaved
// 16-bit samples at the file's own rate and channels, on the caller's thread.
// Knows the file's exact length in frames (from headers the container keeps
// exactly, otherwise from a scan of its packets without decoding) and seeks
// to any frame exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  // channels than the library carries).
  static std::unique_ptr<FileDecoder> open(const FileSource& source, FileKind kind, int& error);
  ~FileDecoder();
  FileDecoder(const FileDecoder&) = delete;
  FileDecoder& operator=(const FileDecoder&) = delete;

  DWORD rate() const { return rate_; }
  DWORD channels() const { return channels_; }
  DWORD ctype() const { return ctype_; }
  // Frames from start to end. Exact once the end has been decoded; before
  // that as the headers or the packet scan found it.
  std::uint64_t lengthFrames() const { return length_; }
  // Frames delivered so far (the next read starts there).
  std::uint64_t position() const { return position_; }
  // Everything has been delivered.
  bool ended();

  // Up to `frames` frames into out; fewer only at the end (0 there). A damaged
  // stretch of the file is skipped; a file that stops making sense ends.
  size_t read(std::int16_t* out, size_t frames);
  // Moves to an exact frame (≤ length). False when the file cannot get there;
  // the position is then wherever the attempt left it, never past the end.
  bool seek(std::uint64_t frame);

  class Impl;

 private:
  explicit FileDecoder(std::unique_ptr<Impl> impl);
  bool fill();  // decodes more into pending_; false at the end
  bool skipTo(std::uint64_t target);  // decodes on to target (≥ position)

  std::unique_ptr<Impl> impl_;
  DWORD rate_ = 0, channels_ = 0, ctype_ = 0;
  std::uint64_t length_ = 0;
  std::uint64_t position_ = 0;
  std::vector<std::int16_t> pending_;  // decoded, not delivered
  size_t pendingAt_ = 0;               // samples of pending_ already delivered
};

}  // namespace zaudio
