// Where a tag parser reads from: a file (pread on an open descriptor) or bytes
// in memory (tests and fuzzing). Every read is bounds-checked against the
// source's size, so a parser that trusts a size field can never over-read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tags {

using Bytes = std::vector<std::uint8_t>;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Reads exactly n bytes at offset; false when the range lies outside the
  // source or the read fails.
  virtual bool read(std::uint64_t offset, void* dst, std::size_t n) const = 0;

  // n bytes at offset, or an empty vector when they are not all there.
  Bytes bytes(std::uint64_t offset, std::size_t n) const;
  // True when [offset, offset + n) lies inside the source.
  bool contains(std::uint64_t offset, std::uint64_t n) const {
    return offset <= size() && n <= size() - offset;
  }
  // True when the source holds text at offset.
  bool startsWith(std::uint64_t offset, const char* text) const;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(Bytes data) : data_(std::move(data)) {}
  MemorySource(const std::uint8_t* data, std::size_t n) : data_(data, data + n) {}
  std::uint64_t size() const override { return data_.size(); }
  bool read(std::uint64_t offset, void* dst, std::size_t n) const override;
  const Bytes& data() const { return data_; }

 private:
  Bytes data_;
};

class FileSource : public ByteSource {
 public:
  // nullptr when the file cannot be opened for reading.
  static std::unique_ptr<FileSource> Open(const std::string& path);
  ~FileSource() override;
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* dst, std::size_t n) const override;
  int fd() const { return fd_; }

 private:
  FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  std::uint64_t size_;
};

}  // namespace tags
