#include "targets/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tags/toolkit/safe_file.h"

namespace zovedu_fuzz {
namespace {

namespace fs = std::filesystem;

// Never destroyed, so the exit handler can still use it.
const fs::path& ScratchFolder() {
  static const fs::path* const folder = [] {
    const char* chosen = std::getenv("ZOVEDU_FUZZ_SCRATCH");
    const fs::path base = chosen && *chosen              ? fs::path(chosen)
                          : fs::is_directory("/dev/shm") ? fs::path("/dev/shm")
                                                         : fs::temp_directory_path();
    auto* f = new fs::path(base / ("zovedu-fuzz-" + std::to_string(getpid())));
    fs::create_directories(*f);
    // Removed at a normal exit; after an abort it stays for a look.
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(ScratchFolder(), ec);
    });
    return f;
  }();
  return *folder;
}

}  // namespace

void Fail(const char* target, const std::string& what) {
  // Control bytes of the texts shown as \xNN, so that a NUL does not end the line.
  std::string shown;
  for (const char c : what) {
    if (static_cast<unsigned char>(c) >= 0x20) {
      shown += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
      shown += hex;
    }
  }
  std::fprintf(stderr, "fuzz target %s: %s\n", target, shown.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string WriteScratchFile(const std::uint8_t* data, std::size_t size) {
  const fs::path path = ScratchFolder() / "input";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  out.close();
  if (!out) Fail("scratch", "cannot write " + path.string());
  return path.string();
}

tags::Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return tags::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CheckedSave(const char* target, const std::string& path, const tags::Bytes& before,
                 const std::function<bool()>& save) {
  const bool saved = save();
  // The scratch folder holds the input alone: a temporary copy left beside
  // it would be another entry.
  const fs::path folder = fs::path(path).parent_path();
  Check(std::distance(fs::directory_iterator(folder), fs::directory_iterator()) == 1, target,
        "a save left its temporary copy");
  if (!saved) Check(ReadWholeFile(path) == before, target, "a failed save changed the file");
  return saved;
}

}  // namespace zovedu_fuzz
