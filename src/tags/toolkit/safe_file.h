// The three ways a tag writer changes a file, each leaving the file exactly as
// it was when anything fails (a full disk included):
//  - ReplaceFile builds a complete new copy beside it (under a fresh name
//    that starts with path + "~", never an existing file or link), syncs it,
//    and renames it over the file, keeping its mode;
//  - ReplaceTail changes the end of the file (end tags) with one write and a
//    truncate, after reserving the space, and puts the old tail back on error;
//  - OverwriteInPlace rewrites a same-sized region (an ID3v2 tag in its
//    padding) and puts the old bytes back on error.
// A symbolic link is followed, so the link stays a link. A read-only file the
// user owns is made writable for the change and gets its mode back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tags/toolkit/byte_source.h"

namespace tags {

// write(out) fills the new file through the descriptor out and returns false on
// failure; verify(tempPath), when given, checks the finished copy before it
// replaces the file.
bool ReplaceFile(const std::string& path, const std::function<bool(int out)>& write,
                 const std::function<bool(const std::string& tempPath)>& verify = {});

// Appends len bytes of in, starting at offset, to out (copy_file_range where the
// file system offers it, read and write otherwise).
bool CopyRange(int in, std::uint64_t offset, std::uint64_t len, int out);
// Appends all of data to out.
bool WriteBytes(int out, const void* data, std::size_t n);
inline bool WriteBytes(int out, const Bytes& data) { return WriteBytes(out, data.data(), data.size()); }

// Replaces everything from tailOffset to the end of the file by newTail.
bool ReplaceTail(const std::string& path, std::uint64_t tailOffset, const Bytes& newTail);

// Overwrites data.size() bytes at offset; the region must lie inside the file.
bool OverwriteInPlace(const std::string& path, std::uint64_t offset, const Bytes& data);

}  // namespace tags
