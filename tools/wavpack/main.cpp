// bin/wavpack: runs /usr/bin/wavpack (version 5) with the recorder's line
// translated to its syntax; the stream goes behind a header that declares
// the size unknown.
#include <string>

#include "adapter.h"
#include "command_line.h"

int main(int argc, char** argv) {
  return adapter::RunAdapter(argc, argv, [](const wavin::Format&, const std::vector<std::string>& args,
                                            adapter::EncoderCall& call, std::string& error) {
    call.program = "/usr/bin/wavpack";
    return wavpack::Translate(args, call.args, error);
  });
}
