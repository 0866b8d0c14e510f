#include "tags/taglib/asf_header.h"

#include <cstring>

#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/safe_file.h"

namespace tags {
namespace {

constexpr std::uint8_t kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr std::uint8_t kFilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr std::size_t kHeaderFixedSize = 30;     // GUID, size, object count, two reserved bytes
constexpr std::size_t kObjectFixedSize = 24;     // GUID, size
constexpr std::size_t kFileSizeFieldOffset = 40;  // in the file properties object, after its file id

void PutLE64(Bytes& b, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// Sets the file properties object's file size to newSize where it held oldSize.
void FollowFileSize(Bytes& header, std::uint64_t oldSize, std::uint64_t newSize) {
  std::size_t at = kHeaderFixedSize;
  while (at + kObjectFixedSize <= header.size()) {
    const std::uint64_t size = ReadLE64(header.data() + at + 16);
    if (size < kObjectFixedSize || size > header.size() - at) return;
    if (std::memcmp(header.data() + at, kFilePropertiesGuid, 16) == 0) {
      if (size >= kFileSizeFieldOffset + 8 && ReadLE64(header.data() + at + kFileSizeFieldOffset) == oldSize)
        PutLE64(header, at + kFileSizeFieldOffset, newSize);
      return;
    }
    at += std::size_t(size);
  }
}

}  // namespace

std::optional<Bytes> LoadAsfHeader(const std::string& path) {
  const auto file = FileSource::Open(path);
  if (!file) return std::nullopt;
  const Bytes fixed = file->bytes(0, kHeaderFixedSize);
  if (fixed.size() != kHeaderFixedSize || std::memcmp(fixed.data(), kHeaderGuid, 16) != 0) return std::nullopt;
  const std::uint64_t size = ReadLE64(fixed.data() + 16);
  if (size < kHeaderFixedSize || size > file->size()) return std::nullopt;
  Bytes header = file->bytes(0, std::size_t(size));
  if (header.size() != size) return std::nullopt;
  return header;
}

bool ReplaceAsfHeader(const std::string& path, std::uint64_t oldHeaderSize, Bytes newHeader,
                      const std::function<bool(const std::string& tempPath)>& verify) {
  const auto file = FileSource::Open(path);
  if (!file || oldHeaderSize > file->size()) return false;
  const std::uint64_t rest = file->size() - oldHeaderSize;
  FollowFileSize(newHeader, file->size(), newHeader.size() + rest);
  return ReplaceFile(
      path,
      [&](int out) { return WriteBytes(out, newHeader) && CopyRange(file->fd(), oldHeaderSize, rest, out); },
      verify);
}

}  // namespace tags
