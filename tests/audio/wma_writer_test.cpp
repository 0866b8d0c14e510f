// The WMA writer: files the real decoder reads back with the tone and length
// written, and refusals that leave no file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <vector>

#include "audio/wma_writer.h"
#include "support/ffmpeg_decode.h"
#include "support/tone_analysis.h"

using namespace zaudio;

using zovedu_test::DecodeMono;
using zovedu_test::ProbeAudioStream;

TEST(WmaWriter, WritesWhatTheDecoderReadsBack) {
  QTemporaryDir dir;
  struct Case {
    DWORD rate, chans, flags;
  } cases[] = {{44100, 2, 0}, {22050, 1, 0}, {48000, 2, SAMPLE_FLOAT}, {8000, 1, SAMPLE_8BITS}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    const QString file = dir.filePath(QString("t%1.wma").arg(c.rate));
    const HWMENCODE h = WMA_EncodeOpenFile(c.rate, c.chans, c.flags | WMA_ENCODE_STANDARD, 64000,
                                           file.toUtf8().constData());
    ASSERT_NE(h, 0u) << ErrorGetCode();
    // Three seconds of a half-scale 1 kHz tone, in blocks of 10 ms.
    const size_t block = c.rate / 100;
    for (size_t at = 0; at < c.rate * 3; at += block) {
      std::vector<std::uint8_t> bytes;
      for (size_t i = at; i < at + block; ++i) {
        const double v = 0.5 * std::sin(2 * std::numbers::pi * 1000 * i / c.rate);
        for (DWORD ch = 0; ch < c.chans; ++ch) {
          if (c.flags & SAMPLE_FLOAT) {
            const float f = static_cast<float>(v);
            const auto* p = reinterpret_cast<const std::uint8_t*>(&f);
            bytes.insert(bytes.end(), p, p + 4);
          } else if (c.flags & SAMPLE_8BITS) {
            bytes.push_back(static_cast<std::uint8_t>(std::lround(v * 127) + 128));
          } else {
            const auto s = static_cast<std::int16_t>(std::lround(v * 32767));
            const auto* p = reinterpret_cast<const std::uint8_t*>(&s);
            bytes.insert(bytes.end(), p, p + 2);
          }
        }
      }
      ASSERT_TRUE(WMA_EncodeWrite(h, bytes.data(), static_cast<DWORD>(bytes.size())));
    }
    ASSERT_TRUE(WMA_EncodeClose(h));
    EXPECT_EQ(ProbeAudioStream(file, "codec_name"), "wmav2");
    EXPECT_EQ(ProbeAudioStream(file, "channels"), QString::number(c.chans));
    EXPECT_EQ(ProbeAudioStream(file, "sample_rate"), QString::number(c.rate));
    const auto samples = DecodeMono(file, static_cast<int>(c.rate));
    EXPECT_NEAR(static_cast<double>(samples.size()) / c.rate, 3.0, 0.1);
    const auto tone = zovedu_test::FindTone(samples, c.rate, 1000);
    ASSERT_TRUE(tone.found);
    // A lossy codec blurs zero crossings; the energy at 1 kHz tells better.
    EXPECT_GT(tone.purity, 0.9);
  }
}

TEST(WmaWriter, RefusedOpensLeaveNoFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath("x.wma");
  struct Case {
    const char* what;
    DWORD rate, chans, flags;
    int error;
  } cases[] = {
      {"a rate above 48000", 96000, 2, WMA_ENCODE_STANDARD, ERROR_FORMAT},
      {"the 88200 Hz of a 192000 Hz recording", 88200, 2, WMA_ENCODE_STANDARD, ERROR_FORMAT},
      {"VBR", 44100, 2, WMA_ENCODE_STANDARD | WMA_ENCODE_RATES_VBR, ERROR_NOTAVAIL},
      {"the Pro codec", 44100, 2, WMA_ENCODE_PRO, ERROR_NOTAVAIL},
      {"six channels", 44100, 6, WMA_ENCODE_STANDARD, ERROR_FORMAT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WMA_EncodeOpenFile(c.rate, c.chans, c.flags, 128000, file.toUtf8().constData()), 0u);
    EXPECT_EQ(ErrorGetCode(), c.error);
    EXPECT_FALSE(QFile::exists(file));
  }
  EXPECT_EQ(WMA_EncodeOpenFile(44100, 2, 0, 128000, dir.filePath("no/such/folder/x.wma").toUtf8().constData()), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FILEOPEN);
  EXPECT_TRUE(WMA_EncodeClose(0));
  EXPECT_FALSE(WMA_EncodeWrite(0xBAD, "x", 1));
}
