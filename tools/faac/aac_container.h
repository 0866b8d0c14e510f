// The container an output file gets, chosen by its extension.
#pragma once

#include <optional>
#include <string>

namespace faac {

struct Container {
  const char* muxer;  // libavformat's name for the writer
  bool adts;          // a bare stream of ADTS frames (else MP4)
};

// .aac -> ADTS; .mp4 -> MP4; .m4a -> MP4 with the audio brand. Letter case
// does not matter. Empty for any other extension.
std::optional<Container> ContainerFor(const std::string& path);

}  // namespace faac
