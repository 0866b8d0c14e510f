// bin/oggenc2: runs /usr/bin/oggenc with the recorder's switches, a quality
// below -1 raised to -1, and --ignorelength so that it reads to the end of
// the input. oggenc refuses 32-bit integer samples, so those reach it as
// 32-bit floats.
#include <string>

#include "adapter.h"
#include "quality_floor.h"

int main(int argc, char** argv) {
  return adapter::RunAdapter(argc, argv, [](const wavin::Format& f, const std::vector<std::string>& args,
                                            adapter::EncoderCall& call, std::string&) {
    call.program = "/usr/bin/oggenc";
    call.args = {"--ignorelength"};
    call.args.insert(call.args.end(), args.begin(), args.end());
    oggenc2::RaiseQualityFloor(call.args);
    if (f.encoding == wavin::Encoding::Signed32) call.feed.samples = adapter::Samples::Float32;
    return true;
  });
}
