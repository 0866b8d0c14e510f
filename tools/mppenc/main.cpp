// bin/mppenc: runs /usr/bin/mpcenc, which takes the recorder's switches and
// "- <file>" as written. --overwrite comes first because mpcenc would
// otherwise ask on its standard input, which carries the audio; a later
// --neveroverwrite or --interactive on the line still wins.
#include <string>

#include "adapter.h"
#include "mpcenc_input.h"

int main(int argc, char** argv) {
  return adapter::RunAdapter(argc, argv, [](const wavin::Format& f, const std::vector<std::string>& args,
                                            adapter::EncoderCall& call, std::string& error) {
    if (!mppenc::AcceptsStream(f, error)) return false;
    call.program = "/usr/bin/mpcenc";
    call.args = {"--overwrite"};
    call.args.insert(call.args.end(), args.begin(), args.end());
    call.feed = mppenc::FeedFor(f);
    return true;
  });
}
