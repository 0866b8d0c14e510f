// oggenc refuses a quality below -1, which the recorder's lines may carry;
// such a quality is encoded at -1, the lowest oggenc has.
#pragma once

#include <string>
#include <vector>

namespace oggenc2 {

// Rewrites every quality value below -1 in args to "-1", finding it the way
// oggenc's option parser does: -q X, -qX, a cluster such as -Qq X,
// --quality X, --quality=X and unambiguous abbreviations of --quality;
// other switches' values are skipped, and nothing after "--" is a switch.
void RaiseQualityFloor(std::vector<std::string>& args);

}  // namespace oggenc2
