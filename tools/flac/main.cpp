// bin/flac: runs /usr/bin/flac with the recorder's switches as written, plus
// --ignore-chunk-sizes: without it flac stops at the declared data size or
// refuses a size of 0. A declared size of 0 keeps flac from warning that the
// size it ignores is not 0.
#include <string>

#include "adapter.h"

int main(int argc, char** argv) {
  return adapter::RunAdapter(argc, argv, [](const wavin::Format& f, const std::vector<std::string>& args,
                                            adapter::EncoderCall& call, std::string& error) {
    if (f.encoding == wavin::Encoding::Float32) {
      error = "flac encodes integer samples only, the stream has floating-point samples";
      return false;
    }
    call.program = "/usr/bin/flac";
    call.args = {"--ignore-chunk-sizes"};
    call.args.insert(call.args.end(), args.begin(), args.end());
    call.feed.declaredSize = 0;
    return true;
  });
}
