// What the fuzz target bodies share: a fault report that aborts in every build
// type, and a per-process scratch file under /dev/shm for the writer targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "tags/toolkit/byte_source.h"

namespace zovedu_fuzz {

// Prints what went wrong and aborts (assert would vanish under NDEBUG).
[[noreturn]] void Fail(const char* target, const std::string& what);
inline void Check(bool ok, const char* target, const std::string& what) {
  if (!ok) Fail(target, what);
}

// A file in this process's own scratch folder (under ZOVEDU_FUZZ_SCRATCH when
// set, else /dev/shm), filled with the input; the folder goes at a normal exit.
std::string WriteScratchFile(const std::uint8_t* data, std::size_t size);
// The whole file, or empty when it cannot be read.
tags::Bytes ReadWholeFile(const std::string& path);
// Runs save on the file at path, which held before: it never leaves a
// temporary copy behind, and when it fails the file is still before, byte for
// byte. Returns what save returned.
bool CheckedSave(const char* target, const std::string& path, const tags::Bytes& before,
                 const std::function<bool()>& save);

}  // namespace zovedu_fuzz
