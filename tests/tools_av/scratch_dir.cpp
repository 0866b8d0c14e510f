#include "scratch_dir.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>

namespace tools_av {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tools-av-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch directory");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace tools_av
