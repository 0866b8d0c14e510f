#include "audio/codec_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/error_state.h"
#include "audio/pcm_wav_decoder.h"

namespace zaudio {
namespace {

constexpr const char* kModuleFile = "zovedu-codecs.so";

// Where the module may be: beside the running program (installed, or the
// program in the build's out/ folder), then in the out/ folder of the build
// tree that a test or benchmark program was built in.
std::vector<std::filesystem::path> Candidates() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const std::filesystem::path dir = exe.parent_path();
  return {dir / kModuleFile, dir.parent_path() / "out" / kModuleFile,
          dir.parent_path().parent_path() / "out" / kModuleFile};
}

const CodecModule* Load() {
  std::string why = std::string(kModuleFile) + " is not beside the program";
  for (const auto& path : Candidates()) {
    if (::access(path.c_str(), F_OK) != 0) continue;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      why = ::dlerror();
      break;
    }
    using Entry = const CodecModule* (*)();
    if (auto entry = reinterpret_cast<Entry>(::dlsym(handle, ZOVEDU_CODEC_MODULE_ENTRY))) return entry();
    why = path.string() + " is not the program's codec module";
    break;
  }
  std::fprintf(stderr, "The file decoders and the WMA writer cannot be loaded: %s\n", why.c_str());
  return nullptr;
}

}  // namespace

const CodecModule* Codecs() {
  static const CodecModule* const module = Load();
  if (!module) detail::SetError(ERROR_NOTAVAIL);
  return module;
}

std::unique_ptr<FileDecoder> FileDecoder::open(const FileSource& source, FileKind kind, int& error) {
  if (kind == FileKind::Plain) {
    SourceBytes bytes;
    error = bytes.open(source);
    if (error != OK) return nullptr;
    if (auto wav = OpenPcmWav(bytes)) return wav;
  }
  const CodecModule* codecs = Codecs();
  if (!codecs) {
    error = ERROR_NOTAVAIL;
    return nullptr;
  }
  return codecs->openDecoder(source, kind, error);
}

}  // namespace zaudio
