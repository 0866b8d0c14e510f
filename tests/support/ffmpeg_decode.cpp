#include "support/ffmpeg_decode.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <cstring>

namespace zovedu_test {

QString ProbeAudioStream(const QString& file, const QString& field) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=" + field, "-of",
                      "default=nw=1:nk=1", file});
  EXPECT_TRUE(p.waitForFinished(60000));
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

std::vector<float> DecodeMono(const QString& file, int rate, const QStringList& inputOptions) {
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", QStringList{"-v", "error"} + inputOptions +
                             QStringList{"-i", file, "-ac", "1", "-ar", QString::number(rate), "-f", "f32le", "-"});
  EXPECT_TRUE(ffmpeg.waitForFinished(120000));
  const QByteArray out = ffmpeg.readAllStandardOutput();
  std::vector<float> samples(static_cast<size_t>(out.size()) / 4);
  std::memcpy(samples.data(), out.constData(), samples.size() * 4);
  return samples;
}

}  // namespace zovedu_test
