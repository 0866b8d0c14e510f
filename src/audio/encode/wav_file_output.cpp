#include "audio/encode/wav_file_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "audio/encode/encode_flags.h"

namespace zaudio {

namespace {

// Counted from the start of one header update to the next, with the writer
// waking at least every 250 ms: the header states what was written at most
// 750 ms ago, so a kill leaves a file that plays all but its last second.
constexpr auto kHeaderInterval = std::chrono::milliseconds(500);
// A kill leaves what was written in the page cache; the sync only bounds
// what a power loss or a crash of the system takes, as the file system's
// own commit interval does.
constexpr auto kSyncInterval = std::chrono::seconds(5);

bool WriteAllAt(int fd, const std::vector<std::uint8_t>& bytes, off_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += n;
  }
  return true;
}

}  // namespace

std::unique_ptr<WavFileOutput> WavFileOutput::Create(const std::string& path, const WavFormat& format,
                                                     const Limits& limits) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  const std::vector<std::uint8_t> header = FileWavHeader(format, {});
  if (!WriteAllAt(fd, header, 0) || ::lseek(fd, header.size(), SEEK_SET) < 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<WavFileOutput>(new WavFileOutput(fd, format, limits, header.size()));
}

WavFileOutput::WavFileOutput(int fd, const WavFormat& format, const Limits& limits,
                             std::uint64_t headerBytes)
    : fd_(fd),
      format_(format),
      limits_(limits),
      headerBytes_(headerBytes),
      lastHeader_(EncoderClock::now()),
      lastSync_(lastHeader_) {}

WavFileOutput::~WavFileOutput() {
  if (fd_ >= 0) ::close(fd_);
}

EncoderOutput::Written WavFileOutput::write(std::span<const std::uint8_t> data, EncoderClock::time_point) {
  size_t allowed = data.size();
  bool simulatedFull = false;
  if (limits_.failWriteAfter && dataBytes_ + data.size() > *limits_.failWriteAfter) {
    allowed = *limits_.failWriteAfter > dataBytes_ ? *limits_.failWriteAfter - dataBytes_ : 0;
    simulatedFull = true;
  }
  Written result;
  while (result.bytes < allowed) {
    const ssize_t n = ::write(fd_, data.data() + result.bytes, allowed - result.bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      result.failure = failed(n == 0 ? EIO : errno, "Writing the WAV file failed");
      return result;
    }
    result.bytes += n;
    dataBytes_ += n;
  }
  if (simulatedFull) result.failure = failed(ENOSPC, "Writing the WAV file failed");
  return result;
}

DWORD WavFileOutput::poll() {
  const EncoderClock::time_point now = EncoderClock::now();
  if (dataBytes_ == statedBytes_ || now - lastHeader_ < kHeaderInterval) return 0;
  return updateHeader(false, now - lastSync_ >= kSyncInterval) ? 0 : ENCODE_NOTIFY_WRITE_FAILED;
}

bool WavFileOutput::finish(EncoderClock::time_point) {
  if (fd_ < 0) return false;
  bool ok = true;
  const std::uint64_t wholeFrames = dataBytes_ - dataBytes_ % format_.blockAlign();
  if (wholeFrames != dataBytes_) {
    dataBytes_ = wholeFrames;
    if (::ftruncate(fd_, headerBytes_ + dataBytes_) != 0) {
      failed(errno, "Truncating the WAV file failed");
      ok = false;
    }
  }
  // Without room for the pad byte the file is still readable, so its absence is no failure.
  const bool padded = dataBytes_ % 2 == 1 && WriteAllAt(fd_, {0}, headerBytes_ + dataBytes_);
  ok = updateHeader(padded, true) && ok;
  if (::close(fd_) != 0) {
    failed(errno, "Closing the WAV file failed");
    ok = false;
  }
  fd_ = -1;
  return ok;
}

std::string WavFileOutput::lastMessage() const {
  std::lock_guard lock(messageMutex_);
  return message_;
}

bool WavFileOutput::updateHeader(bool padded, bool sync) {
  const EncoderClock::time_point began = EncoderClock::now();
  const std::uint64_t riffSize = headerBytes_ - 8 + dataBytes_ + (padded ? 1 : 0);
  rf64_ = rf64_ || riffSize > limits_.largestPlainRiffSize;
  if (!WriteAllAt(fd_, FileWavHeader(format_, {dataBytes_, padded, rf64_}), 0)) {
    failed(errno, "Updating the WAV header failed");
    return false;
  }
  statedBytes_ = dataBytes_;
  lastHeader_ = began;
  if (!sync) return true;
  if (::fdatasync(fd_) != 0) {
    failed(errno, "Syncing the WAV file failed");
    return false;
  }
  lastSync_ = began;
  return true;
}

DWORD WavFileOutput::failed(int error, const char* what) {
  std::lock_guard lock(messageMutex_);
  if (message_.empty())  // the first error explains the rest
    message_ = std::string(what) + ": " + std::generic_category().message(error);
  return ENCODE_NOTIFY_WRITE_FAILED;
}

}  // namespace zaudio
