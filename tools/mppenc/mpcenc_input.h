// What mpcenc takes on its standard input.
#pragma once

#include <string>

#include "sample_feed.h"
#include "wav_input.h"

namespace mppenc {

// False with a message when mpcenc cannot encode a stream in f; checked
// before mpcenc starts, so a refused stream leaves no output file.
bool AcceptsStream(const wavin::Format& f, std::string& error);

// mpcenc reads integer PCM behind a plain header (it takes neither floats
// nor WAVE_FORMAT_EXTENSIBLE) and reads to the end when the data size is
// unknown.
adapter::Feed FeedFor(const wavin::Format& f);

}  // namespace mppenc
