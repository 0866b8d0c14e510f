#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {

const FuzzTarget kFuzzTargets[] = {
    {"id3v1", FuzzId3v1},
    {"id3v2", FuzzId3v2},
    {"ape", FuzzApe},
    {"vorbis_comment", FuzzVorbisComment},
    {"ogg", FuzzOgg},
    {"flac", FuzzFlac},
    {"mpeg_audio", FuzzMpegAudio},
    {"monkey", FuzzMonkey},
    {"aac", FuzzAac},
    {"mpeg_plus", FuzzMpegPlus},
    {"id3v1_roundtrip", FuzzId3v1Roundtrip},
    {"id3v2_roundtrip", FuzzId3v2Roundtrip},
    {"ape_roundtrip", FuzzApeRoundtrip},
    {"ogg_roundtrip", FuzzOggRoundtrip},
    {"flac_roundtrip", FuzzFlacRoundtrip},
    {nullptr, nullptr},
};

}  // namespace zovedu_fuzz
