#include "ape_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <stdexcept>
#include <unistd.h>

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/md5.h>
}

namespace ape {

namespace {

// Seek table room when the length is unknown: a day at the stream's rate.
// At the end a table that turned out too small is grown, and one that would
// be a noticeable part of a short file is cut to size; both rewrite the file.
// On a small disk the room is cut to what a sixteenth of its free space
// holds, but never below an hour: a disk that small cannot take a longer
// recording anyway, and the table must not fill it before the first frame.
constexpr std::uint64_t kUnknownLengthSeconds = 24 * 3600;
constexpr std::uint64_t kSmallDiskSeconds = 3600;
constexpr std::uint64_t kShrinkWhenUnusedTableExceeds = 200;  // 1/200 of the file

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

std::vector<std::uint8_t> SeekTableBytes(const std::vector<std::uint64_t>& offsets, std::uint64_t firstFrame,
                                         std::uint32_t entries) {
  std::vector<std::uint8_t> out(std::size_t{entries} * 4, 0);
  for (std::size_t i = 0; i < offsets.size() && i < entries; ++i) {
    // Offsets are 32-bit in the format; past 4 GiB they wrap.
    const auto v = static_cast<std::uint32_t>(firstFrame + offsets[i]);
    for (int b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<std::uint8_t>(v >> (8 * b));
  }
  return out;
}

// Makes a rename in the file's folder durable.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::unique_ptr<FileWriter> FileWriter::Create(const std::string& path, const AudioFormat& format, int level,
                                               std::uint64_t expectedBlocks, std::string& error) {
  error = CheckFormat(format);
  if (!error.empty()) return nullptr;
  const LevelSettings* settings = SettingsFor(level);
  if (!settings) {
    error = "unknown compression level " + std::to_string(level) + " (use 1000, 2000, 3000, 4000 or 5000)";
    return nullptr;
  }
  const std::uint64_t blocks =
      expectedBlocks ? expectedBlocks : kUnknownLengthSeconds * static_cast<std::uint64_t>(format.sampleRate);
  std::uint64_t entries = std::max<std::uint64_t>(1, (blocks + settings->blocksPerFrame - 1) / settings->blocksPerFrame);
  if (!expectedBlocks) {
    const std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/') + 1);
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0) {
      const std::uint64_t affordable = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize / 16 / 4;
      const std::uint64_t hour = kSmallDiskSeconds * format.sampleRate / settings->blocksPerFrame + 1;
      entries = std::min(entries, std::max(affordable, hour));
    }
  }
  if (entries > (UINT32_MAX - kSeekTableOffset) / 4) {
    error = "the input is too long for one file";
    return nullptr;
  }

  // Read access too: a rewrite at the end copies the frames from it.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = SystemError("cannot create", path);
    return nullptr;
  }
  std::unique_ptr<FileWriter> writer(
      new FileWriter(path, format, *settings, fd, static_cast<std::uint32_t>(entries)));
  const FileHeader header = writer->describedHeader();
  std::vector<std::uint8_t> start = DescriptorAndHeaderBytes(header);
  start.resize(writer->firstFrameOffset(), 0);  // an empty seek table
  if (!writer->writeAt(fd, start.data(), start.size(), 0, error)) return nullptr;
  return writer;
}

FileWriter::FileWriter(const std::string& path, const AudioFormat& format, const LevelSettings& settings, int fd,
                       std::uint32_t seekEntries)
    : path_(path),
      format_(format),
      settings_(settings),
      fd_(fd),
      encoder_(format, settings.level),
      reservedEntries_(seekEntries),
      md5_(av_md5_alloc()) {
  if (!md5_) throw std::bad_alloc();
  av_md5_init(md5_);
  pending_.reserve(std::size_t{settings.blocksPerFrame} * format.channels);
}

FileWriter::~FileWriter() {
  if (fd_ >= 0) ::close(fd_);
  av_free(md5_);
}

bool FileWriter::writeAt(int fd, const void* data, std::size_t size, std::uint64_t offset,
                         std::string& error) const {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      error = SystemError("cannot write", path_);
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

FileHeader FileWriter::describedHeader() const {
  FileHeader h;
  h.format = format_;
  h.level = settings_.level;
  h.blocksPerFrame = settings_.blocksPerFrame;
  h.seekTableBytes = reservedEntries_ * 4;
  const std::size_t described = std::min<std::size_t>(frameOffsets_.size(), reservedEntries_);
  h.totalFrames = static_cast<std::uint32_t>(described);
  h.finalFrameBlocks = described == 0 ? 0 : described == frameOffsets_.size() ? lastFrameBlocks_ : settings_.blocksPerFrame;
  h.frameDataBytes = described == frameOffsets_.size() ? frameDataBytes_ : frameOffsets_[described];
  return h;
}

bool FileWriter::writeFrame(const std::int32_t* samples, std::uint32_t blocks, std::string& error) {
  std::vector<std::uint8_t> frame;
  try {
    frame = encoder_.encode(samples, blocks);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  if (!writeAt(fd_, frame.data(), frame.size(), firstFrameOffset() + frameDataBytes_, error)) return false;
  av_md5_update(md5_, frame.data(), frame.size());
  const std::size_t index = frameOffsets_.size();
  frameOffsets_.push_back(frameDataBytes_);
  frameDataBytes_ += frame.size();
  lastFrameBlocks_ = blocks;
  totalBlocks_ += blocks;

  // The new frame becomes readable: its seek entry, then the header that
  // counts it.
  if (index < reservedEntries_) {
    const std::vector<std::uint8_t> entry =
        SeekTableBytes({frameOffsets_.back()}, firstFrameOffset(), 1);
    if (!writeAt(fd_, entry.data(), entry.size(), kSeekTableOffset + index * 4, error)) return false;
    const std::vector<std::uint8_t> head = DescriptorAndHeaderBytes(describedHeader());
    if (!writeAt(fd_, head.data(), head.size(), 0, error)) return false;
  }
  return true;
}

bool FileWriter::write(const std::int32_t* samples, std::size_t blocks, std::string& error) {
  if (finished_) {
    error = "the file is already complete";
    return false;
  }
  const std::size_t channels = static_cast<std::size_t>(format_.channels);
  const std::size_t frameSamples = std::size_t{settings_.blocksPerFrame} * channels;
  std::size_t remaining = blocks * channels;
  while (remaining > 0) {
    const std::size_t take = std::min(remaining, frameSamples - pending_.size());
    pending_.insert(pending_.end(), samples, samples + take);
    samples += take;
    remaining -= take;
    if (pending_.size() == frameSamples) {
      if (!writeFrame(pending_.data(), settings_.blocksPerFrame, error)) return false;
      pending_.clear();
    }
  }
  return true;
}

bool FileWriter::rewriteWithExactSeekTable(std::string& error) {
  // A fresh name, created exclusively: whatever already lies beside the file
  // (a link, a user's own file) is never written through or replaced.
  std::string temporary = path_ + ".seektable-XXXXXX";
  const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (out < 0) {
    error = SystemError("cannot create", temporary);
    return false;
  }
  struct stat original {};
  if (::fstat(fd_, &original) == 0) ::fchmod(out, original.st_mode & 07777);
  const std::uint64_t oldFirstFrame = firstFrameOffset();
  const std::uint32_t oldEntries = reservedEntries_;
  reservedEntries_ = static_cast<std::uint32_t>(frameOffsets_.size());
  std::vector<std::uint8_t> start = DescriptorAndHeaderBytes(describedHeader());
  const std::vector<std::uint8_t> table = SeekTableBytes(frameOffsets_, firstFrameOffset(), reservedEntries_);
  start.insert(start.end(), table.begin(), table.end());

  bool ok = writeAt(out, start.data(), start.size(), 0, error);
  std::vector<std::uint8_t> chunk(1 << 20);
  for (std::uint64_t done = 0; ok && done < frameDataBytes_;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), frameDataBytes_ - done));
    const ssize_t n = ::pread(fd_, chunk.data(), want, static_cast<off_t>(oldFirstFrame + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? SystemError("cannot read", path_) : "the file " + path_ + " became shorter while being written";
      ok = false;
      break;
    }
    ok = writeAt(out, chunk.data(), static_cast<std::size_t>(n), firstFrameOffset() + done, error);
    done += static_cast<std::uint64_t>(n);
  }
  if (ok && ::fdatasync(out) != 0) {
    error = SystemError("cannot write", temporary);
    ok = false;
  }
  if (ok && ::rename(temporary.c_str(), path_.c_str()) != 0) {
    error = SystemError("cannot replace", path_);
    ok = false;
  }
  if (!ok) {
    ::close(out);
    ::unlink(temporary.c_str());
    reservedEntries_ = oldEntries;
    return false;
  }
  ::close(fd_);
  fd_ = out;
  SyncFolderOf(path_);
  return true;
}

bool FileWriter::finish(std::string& error) {
  if (finished_) return true;
  const std::size_t channels = static_cast<std::size_t>(format_.channels);
  if (!pending_.empty()) {
    if (!writeFrame(pending_.data(), static_cast<std::uint32_t>(pending_.size() / channels), error)) return false;
    pending_.clear();
  }
  // A table too small leaves frames unreachable: that is a failure. One too
  // large only costs room, so failing to shrink it is not.
  bool complete = true;
  const bool tooSmall = frameOffsets_.size() > reservedEntries_;
  const std::uint64_t unusedBytes = (reservedEntries_ - std::min<std::uint64_t>(reservedEntries_, frameOffsets_.size())) * 4;
  if (tooSmall || unusedBytes * kShrinkWhenUnusedTableExceeds > firstFrameOffset() + frameDataBytes_) {
    std::string rewriteError;
    if (!rewriteWithExactSeekTable(rewriteError) && tooSmall) {
      error = rewriteError;
      complete = false;
    }
  }

  FileHeader header = describedHeader();
  const std::vector<std::uint8_t> table = SeekTableBytes(frameOffsets_, firstFrameOffset(), reservedEntries_);
  const std::vector<std::uint8_t> headerOnly = HeaderBytes(header);
  av_md5_update(md5_, headerOnly.data(), headerOnly.size());
  av_md5_update(md5_, table.data(), table.size());
  av_md5_final(md5_, header.md5.data());

  const std::vector<std::uint8_t> head = DescriptorAndHeaderBytes(header);
  if (!writeAt(fd_, head.data(), head.size(), 0, error)) return false;
  if (!writeAt(fd_, table.data(), table.size(), kSeekTableOffset, error)) return false;
  const bool synced = ::fdatasync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed) {
    error = SystemError("cannot write", path_);
    return false;
  }
  finished_ = true;
  return complete;
}

}  // namespace ape
