// What ffprobe and ffmpeg make of a recorded file: stream fields, and the
// audio decoded to mono floats so that lengths and tones are measured on the
// samples, not on what a container claims.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zovedu_test {

// One field of the first audio stream ("codec_name", "channels",
// "sample_rate"); empty when ffprobe cannot tell.
QString ProbeAudioStream(const QString& file, const QString& field);

// The file decoded by ffmpeg to mono floats at rate. inputOptions go ahead of
// -i (a decoder to prefer, for instance).
std::vector<float> DecodeMono(const QString& file, int rate, const QStringList& inputOptions = {});

}  // namespace zovedu_test
