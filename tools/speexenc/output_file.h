// The output file: created (or emptied) when encoding starts, written in
// full or not at all. Until commit() succeeds, destroying it removes the file
// again, so a failed run leaves nothing half-written behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace speexenc {

class OutputFile {
 public:
  // Creates the file, replacing one of that name. Throws std::runtime_error.
  explicit OutputFile(std::string path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes everything or throws std::runtime_error.
  void write(const void* data, size_t size);
  // One Ogg page, header and body: on a failed write the file is cut back to
  // where the page began, so that it ends with a whole page.
  void writePage(const void* header, size_t headerSize, const void* body, size_t bodySize);
  // Closes the file for good; throws when the data may not have reached it.
  void commit();

 private:
  std::string path_;
  int fd_ = -1;
  bool regular_ = false;  // only a regular file is ever removed (never, say, /dev/full)
  bool committed_ = false;
  std::uint64_t written_ = 0;  // bytes that reached the file
};

}  // namespace speexenc
