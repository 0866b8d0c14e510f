// The four readers on files made by the real encoders: stream facts as the
// encoders were told, and each format refused by the readers of the others.
#include <gtest/gtest.h>

#include "reader_files.h"
#include "tags/aac_file.h"
#include "tags/monkey.h"
#include "tags/mpeg_audio.h"
#include "tags/mpeg_plus.h"

namespace {

using namespace readers_test;

struct RealCase {
  const char* name;
  fs::path Files::*file;
  Kind kind;
  int channels;
  int rate;
  double seconds;
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << c.name; }

class RealFile : public testing::TestWithParam<RealCase> {};

// Encoders add a little priming and padding; 0.1 s covers it.
TEST_P(RealFile, GivesChannelsRateDurationAndABitRate) {
  const RealCase& c = GetParam();
  const Facts f = ReadFile(c.kind, MadeFiles().*c.file);
  ASSERT_TRUE(f.accepted);
  EXPECT_TRUE(f.valid);
  EXPECT_EQ(f.channels, c.channels);
  EXPECT_EQ(f.sampleRate, c.rate);
  EXPECT_NEAR(f.duration, c.seconds, 0.1);
  const double kbits = double(fs::file_size(MadeFiles().*c.file)) * 8 / c.seconds / 1000;
  EXPECT_NEAR(f.bitRate, kbits, kbits * 0.1 + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, RealFile,
    testing::Values(RealCase{"lame_cbr", &Files::mp3Cbr, Kind::Mpeg, 2, 44100, 2},
                    RealCase{"lame_vbr", &Files::mp3Vbr, Kind::Mpeg, 2, 44100, 2},
                    RealCase{"lame_no_info_header", &Files::mp3Plain, Kind::Mpeg, 2, 44100, 2},
                    RealCase{"lame_mono_mpeg2", &Files::mp3Mono, Kind::Mpeg, 1, 22050, 3},
                    RealCase{"ffmpeg_layer2", &Files::mp2, Kind::Mpeg, 2, 44100, 2},
                    RealCase{"mac_normal", &Files::apeStereo, Kind::Monkey, 2, 44100, 2},
                    RealCase{"mac_fast_mono", &Files::apeMono, Kind::Monkey, 1, 22050, 3},
                    RealCase{"adts_stereo", &Files::aacStereo, Kind::Aac, 2, 44100, 2},
                    RealCase{"adts_mono", &Files::aacMono, Kind::Aac, 1, 22050, 3},
                    RealCase{"mpcenc_sv8", &Files::mpc, Kind::Mpc, 2, 44100, 2}),
    [](const testing::TestParamInfo<RealCase>& i) { return std::string(i.param.name); });

TEST(RealFileDetails, Mp3HeadersAndLayers) {
  tags::TMPEGaudio cbr, vbr, plain, mono, layer2;
  ASSERT_TRUE(cbr.ReadFromFile(MadeFiles().mp3Cbr.string()));
  ASSERT_TRUE(vbr.ReadFromFile(MadeFiles().mp3Vbr.string()));
  ASSERT_TRUE(plain.ReadFromFile(MadeFiles().mp3Plain.string()));
  ASSERT_TRUE(mono.ReadFromFile(MadeFiles().mp3Mono.string()));
  ASSERT_TRUE(layer2.ReadFromFile(MadeFiles().mp2.string()));

  EXPECT_EQ(cbr.VBRHeader(), "Info");
  EXPECT_FALSE(cbr.VBR());
  EXPECT_EQ(cbr.BitRate(), 128);
  EXPECT_EQ(cbr.Version(), tags::MpegVersion::Mpeg1);
  EXPECT_EQ(cbr.Layer(), 3);
  EXPECT_GT(cbr.VBRFrames(), 70u);

  EXPECT_EQ(vbr.VBRHeader(), "Xing");
  EXPECT_TRUE(vbr.VBR());
  EXPECT_NEAR(vbr.Duration(), cbr.Duration(), 0.03);  // same frame count

  EXPECT_EQ(plain.VBRHeader(), "");
  EXPECT_EQ(plain.BitRate(), 128);

  EXPECT_EQ(mono.Version(), tags::MpegVersion::Mpeg2);
  EXPECT_EQ(mono.ChannelMode(), tags::MpegChannelMode::Mono);
  EXPECT_EQ(mono.BitRate(), 64);

  EXPECT_EQ(layer2.Layer(), 2);
  EXPECT_EQ(layer2.BitRate(), 192);
}

TEST(RealFileDetails, MonkeyHeaderOfOurEncoder) {
  tags::TMonkey normal, fast;
  ASSERT_TRUE(normal.ReadFromFile(MadeFiles().apeStereo.string()));
  ASSERT_TRUE(fast.ReadFromFile(MadeFiles().apeMono.string()));
  EXPECT_EQ(normal.Version(), 3990);
  EXPECT_EQ(normal.CompressionLevel(), 2000);
  EXPECT_EQ(normal.CompressionName(), "Normal");
  EXPECT_EQ(fast.CompressionLevel(), 1000);
  EXPECT_EQ(normal.Bits(), 16);
  EXPECT_EQ(normal.TotalSamples(), 88200u);  // exactly the WAV's sample frames
  EXPECT_EQ(fast.TotalSamples(), 66150u);
}

TEST(RealFileDetails, AdtsAndMusepackHeaders) {
  tags::TAACfile aac;
  ASSERT_TRUE(aac.ReadFromFile(MadeFiles().aacStereo.string()));
  EXPECT_EQ(aac.HeaderType(), tags::AacHeaderType::ADTS);
  EXPECT_EQ(aac.Profile(), tags::AacProfile::LC);
  // Every frame is counted: 1024 samples each.
  EXPECT_NEAR(double(aac.Frames()) * 1024 / 44100, aac.Duration(), 1e-9);
  EXPECT_GT(aac.Frames(), 86u);

  tags::TMPEGplus mpc;
  ASSERT_TRUE(mpc.ReadFromFile(MadeFiles().mpc.string()));
  EXPECT_EQ(mpc.StreamVersion(), 8);
  EXPECT_EQ(mpc.StreamVersionText(), "8");
  EXPECT_EQ(mpc.Samples(), 88200u);
}

// Each reader accepts its own format only; an MP4 is no AAC file for
// TAACfile, and a missing file is refused like an empty one.
TEST(RealFileDetails, EachReaderRefusesTheOtherFormats) {
  const Files& f = MadeFiles();
  const struct {
    fs::path file;
    Kind owner;
  } files[] = {{f.mp3Cbr, Kind::Mpeg},    {f.mp3Vbr, Kind::Mpeg},     {f.mp2, Kind::Mpeg},
               {f.apeStereo, Kind::Monkey}, {f.apeMono, Kind::Monkey}, {f.aacStereo, Kind::Aac},
               {f.aacMono, Kind::Aac},    {f.mpc, Kind::Mpc}};
  for (Kind k : {Kind::Mpeg, Kind::Monkey, Kind::Aac, Kind::Mpc}) {
    for (const auto& file : files) {
      if (file.owner == k) continue;
      const Facts facts = ReadFile(k, file.file);
      EXPECT_FALSE(facts.accepted) << KindName(k) << " accepted " << file.file.filename();
      EXPECT_FALSE(facts.valid);
    }
    if (k != Kind::Mpeg) {
      EXPECT_FALSE(ReadFile(k, f.m4a).accepted) << KindName(k) << " accepted the .m4a";
      EXPECT_FALSE(ReadFile(k, f.stereoWav).accepted) << KindName(k) << " accepted the WAV";
    }
    EXPECT_FALSE(ReadFile(k, f.dir / "missing.mp3").accepted) << KindName(k);
    WriteAll(f.dir / "empty", {});
    EXPECT_FALSE(ReadFile(k, f.dir / "empty").accepted) << KindName(k);
  }
}

// A reader used again forgets the file before.
TEST(RealFileDetails, ReadingAnotherFileResetsTheFacts) {
  tags::TMonkey ape;
  ASSERT_TRUE(ape.ReadFromFile(MadeFiles().apeStereo.string()));
  EXPECT_FALSE(ape.ReadFromFile(MadeFiles().mpc.string()));
  EXPECT_FALSE(ape.Valid());
  EXPECT_EQ(ape.Channels(), 0);
  EXPECT_EQ(ape.Duration(), 0);
}

}  // namespace
