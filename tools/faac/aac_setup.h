// The AAC encoder set up from the command line for one input.
#pragma once

#include <map>
#include <string>

#include "aac_container.h"
#include "av_handles.h"
#include "faac_options.h"

namespace faac {

// The opened AAC encoder for `layout` at the AAC rate nearest `inputRate`
// (see aac_rate.h), with -q or -b, -c and, for ADTS, the MPEG version.
avout::CodecContextPtr OpenAacEncoder(const Options& options, const Container& container,
                                      const AVChannelLayout& layout, int inputRate);

// The container writer's options: the MPEG version of ADTS headers.
std::map<std::string, std::string> MuxerOptions(const Options& options, const Container& container);

}  // namespace faac
