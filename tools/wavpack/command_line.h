// The recorder writes "wavpack <switches> - <file>"; wavpack 5 takes the
// output only after -o.
#pragma once

#include <string>
#include <vector>

namespace wavpack {

// The arguments for wavpack 5: -y (the recorder has already asked before
// replacing a file, and a question would read the audio pipe), -i (read to
// the end of the input whatever the header says), the switches as written,
// "-" and "-o <file>". False with a message when the line has no "-" input
// and exactly one output.
bool Translate(const std::vector<std::string>& args, std::vector<std::string>& out, std::string& error);

}  // namespace wavpack
