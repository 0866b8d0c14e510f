#include "aac_container.h"

#include <algorithm>
#include <cctype>

namespace faac {

std::optional<Container> ContainerFor(const std::string& path) {
  const size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == "aac") return Container{"adts", true};
  if (ext == "mp4") return Container{"mp4", false};
  if (ext == "m4a") return Container{"ipod", false};
  return std::nullopt;
}

}  // namespace faac
