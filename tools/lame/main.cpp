// bin/lame: runs /usr/bin/lame with the recorder's switches as written.
// lame reads a WAV header itself, which keeps its own meaning of -m m and
// -a on stereo input, but it stops at the data size the header declares, so
// it gets the stream behind a header that declares the size unknown.
#include <string>

#include "adapter.h"

int main(int argc, char** argv) {
  return adapter::RunAdapter(argc, argv, [](const wavin::Format& f, const std::vector<std::string>& args,
                                            adapter::EncoderCall& call, std::string& error) {
    if (f.channels > 2) {
      error = "lame encodes 1 or 2 channels, the stream has " + std::to_string(f.channels);
      return false;
    }
    call.program = "/usr/bin/lame";
    call.args = args;
    return true;
  });
}
