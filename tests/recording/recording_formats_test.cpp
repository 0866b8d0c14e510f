// Per-format texts and checks of the recording engine: the information line,
// the writer failure messages of both start paths, the refused bit depths, the
// capture failure, the status line and the library flags.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "audio/zaudio.h"
#include "recording/recording_formats.h"

namespace {

TEST(RecordingFormats, InfoAndWriterFailureTextsPerFormat) {
  struct Row {
    int format;
    const char* info;
    const char* mixerFailure;
    const char* directFailure;
  };
  // The spellings are the ones the user sees and must stay exactly so.
  const Row rows[] = {
      {kWav, "WAVE PCM", "Couldn't use WAVE Encoder", "Couldn't use WAVE Encoder"},
      {kMp3, "MPEG Layer III (MP3)", "Couldn't use MP3 Encoder", "Couldn't use MP3 Encoder"},
      {kWma, "Windows Miedia Audio (WMA)", "Couldn't use WMA Encoder", "Couldn't use WMA Encoder"},
      {kOgg, "OGG Vorbis (OGG)", "Couldn't use OGG Encoder", "Couldn't use OGG Encoder"},
      {kApe, "Monkey's Audio Format (APE)", "Couldn't use APE Encoder",
       "Couldn't start APE Encorder!"},
      {kFlac, "Free Lossless Audio Codec (FLAC)", "Couldn't use FALC Encoder",
       "Couldn't start FLAC Encorder!"},
      {kTta, "True Audio Codec (TTA)", "Couldn't use TTA Encoder", "Couldn't start TTA Encorder!"},
      {kWv, "Hybrid Lossless WaveFile (WavPack)", "Couldn't use WAVPack Encoder",
       "Couldn't start WAVPACK Encorder!"},
      {kAac, "Advanced Audio Coding (AAC/MP4)", "Couldn't use AAC Encoder",
       "Couldn't start AAC Encorder!"},
      {kMpc, "Musepack living Audio Compressor (MPC)", "Couldn't use MPC Encoder",
       "Couldn't start MPC Encorder!"},
      {kSpx, "Speex for Voice (SPX)", "Couldn't use SPEEX Encoder",
       "Couldn't start SPEEX Encorder!"},
  };
  ASSERT_EQ(std::size(rows), size_t(kFormatCount));
  for (int i = 0; i < int(std::size(rows)); ++i) {
    const Row& r = rows[i];
    SCOPED_TRACE(r.info);
    EXPECT_EQ(r.format, i);  // the list order is the settings' format index
    EXPECT_EQ(FormatInfoText(i), r.info);
    EXPECT_EQ(WriterFailureText(i, true), r.mixerFailure);
    EXPECT_EQ(WriterFailureText(i, false), r.directFailure);
  }

  for (int outside : {-1, int(kFormatCount)}) {
    EXPECT_EQ(FormatInfoText(outside), "") << outside;
    EXPECT_EQ(WriterFailureText(outside, true), "") << outside;
    EXPECT_EQ(WriterFailureText(outside, false), "") << outside;
  }
}

TEST(RecordingFormats, BitDepthRefusals) {
  const QString ape = "APE Encoder only support 16bit and 24bit";
  const QString speex = "Speex Encoder not support 24bit and 32bit!";
  const std::map<std::pair<int, int>, QString> refused{
      {{kApe, 8}, ape},
      {{kApe, 32}, ape},
      {{kFlac, 32}, "FLAC Encoder not support 32bit"},
      {{kTta, 32}, "TTA Encoder not support 32bit"},
      {{kWv, 32}, "WAVPACK Encoder not support 32bit"},
      {{kSpx, 24}, speex},
      {{kSpx, 32}, speex},
  };
  // Every other pair is accepted: 24-bit FLAC, TTA and WavPack, 16/24-bit APE,
  // 8/16-bit Speex and every depth of the remaining formats.
  for (int format = 0; format < kFormatCount; ++format) {
    for (int bits : {8, 16, 24, 32}) {
      SCOPED_TRACE(testing::Message() << "format " << format << ", " << bits << " bits");
      const auto it = refused.find({format, bits});
      const std::optional<QString> refusal = BitDepthRefusal(format, bits);
      if (it == refused.end()) {
        EXPECT_FALSE(refusal.has_value()) << refusal->toStdString();
      } else {
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(*refusal, it->second);
      }
    }
  }
}

TEST(RecordingFormats, CaptureFailureNamesDepthsAbove16Bits) {
  EXPECT_EQ(CaptureFailureText(8), "Couldn't start recording!");
  EXPECT_EQ(CaptureFailureText(16), "Couldn't start recording!");
  EXPECT_EQ(CaptureFailureText(24), "Your system not support 24bits Recording");
  EXPECT_EQ(CaptureFailureText(32), "Your system not support 32bits Recording");
}

TEST(RecordingFormats, StatusLine) {
  struct Case {
    StatusChoices choices;
    const char* expected;
  };
  auto choices = [](bool dar, bool pause, bool stop, bool newFile, int split) {
    StatusChoices c;
    c.dar = dar;
    c.pauseAction = pause;
    c.stopAction = stop;
    c.newFileAction = newFile;
    c.splitMode = split;
    return c;
  };
  const Case cases[] = {
      {choices(false, false, false, false, -1), "Recording..."},
      // the actions only show while silence handling is on
      {choices(false, true, true, true, -1), "Recording..."},
      {choices(false, true, false, false, 0), "Recording...(Split Length Mode)"},
      {choices(true, false, false, false, -1), "Recording..."},
      {choices(true, true, false, false, -1), "Recording...(DAR Mode Pause Action)"},
      {choices(true, false, true, false, -1), "Recording...(DAR Mode Stop Action)"},
      {choices(true, false, false, true, -1), "Recording...(DAR Mode New Action)"},
      {choices(true, false, false, false, 1), "Recording...(Split Size Mode)"},
      {choices(true, true, false, false, 0),
       "Recording...(DAR Mode Pause Action)(Split Length Mode)"},
      {choices(true, true, true, true, 1),
       "Recording...(DAR Mode Pause Action)(DAR Mode Stop Action)(DAR Mode New Action)"
       "(Split Size Mode)"},
      {choices(true, false, true, true, 0),
       "Recording...(DAR Mode Stop Action)(DAR Mode New Action)(Split Length Mode)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(RecordingStatusText(c.choices), c.expected);
  }
}

TEST(RecordingFormats, SampleAndEncoderFlagsPerBitDepth) {
  struct Case {
    int bits;
    unsigned sample;
    unsigned encoder;
  };
  const Case cases[] = {
      {8, zaudio::SAMPLE_8BITS, 2},
      {16, 0, 4},
      {24, zaudio::SAMPLE_FLOAT, 6},
      {32, zaudio::SAMPLE_FLOAT, 8},
  };
  EXPECT_EQ(zaudio::SAMPLE_8BITS, 1u);
  EXPECT_EQ(zaudio::SAMPLE_FLOAT, 0x100u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    EXPECT_EQ(SampleFlagsFor(c.bits), c.sample);
    EXPECT_EQ(EncoderFlagsFor(c.bits, false), c.encoder);
    EXPECT_EQ(EncoderFlagsFor(c.bits, true), c.encoder | 0x40u);
  }
}

}  // namespace
