// Header layouts the installed encoders do not write, checked field by field
// on bytes built here.
#include <gtest/gtest.h>

#include <cmath>

#include "built_headers.h"
#include "tags/aac_file.h"
#include "tags/monkey.h"
#include "tags/mpeg_audio.h"
#include "tags/mpeg_plus.h"
#include "tags/toolkit/byte_order.h"

namespace {

using namespace readers_test;
using tags::AppendLE32;
using tags::MemorySource;

void AppendLE16(Bytes& out, std::uint16_t v) { out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }

// --- Monkey's Audio before 3.98: one 32-byte header, blocks per frame implied.
struct OldApeCase {
  std::uint16_t version, level, flags;
  std::uint32_t frames, finalBlocks;
  int bits;
  std::uint64_t samples;
};

Bytes OldApe(const OldApeCase& c, std::uint16_t channels = 2, std::uint32_t rate = 44100) {
  Bytes b;
  tags::AppendText(b, "MAC ");
  AppendLE16(b, c.version);
  AppendLE16(b, c.level);
  AppendLE16(b, c.flags);
  AppendLE16(b, channels);
  AppendLE32(b, rate);
  AppendLE32(b, 44);  // stored WAV header
  AppendLE32(b, 0);
  AppendLE32(b, c.frames);
  AppendLE32(b, c.finalBlocks);
  b.resize(b.size() + 1000, 0x55);
  return b;
}

TEST(BuiltMonkey, OldHeaderBitsAndBlocksPerFrame) {
  const OldApeCase cases[] = {
      {3970, 3000, 8, 3, 1000, 24, 2 * 294912 + 1000},  // 3.95 and later
      {3930, 2000, 0, 2, 10, 16, 73728 + 10},           // 3.90 and later
      {3800, 4000, 1, 2, 10, 8, 73728 + 10},            // extra high from 3.80 on
      {3800, 2000, 0, 2, 10, 16, 9216 + 10},
      {3700, 1000, 0, 1, 500, 16, 500},
  };
  for (const OldApeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " level " << c.level);
    tags::TMonkey ape;
    ASSERT_TRUE(ape.ReadFromSource(MemorySource(OldApe(c))));
    EXPECT_EQ(ape.Version(), c.version);
    EXPECT_EQ(ape.CompressionLevel(), c.level);
    EXPECT_EQ(ape.Bits(), c.bits);
    EXPECT_EQ(ape.Channels(), 2);
    EXPECT_EQ(ape.SampleRate(), 44100);
    EXPECT_EQ(ape.TotalSamples(), c.samples);
    EXPECT_DOUBLE_EQ(ape.Duration(), double(c.samples) / 44100);
  }
}

TEST(BuiltMonkey, ZeroChannelsRateOrFramesAreRefused) {
  const OldApeCase ok{3970, 2000, 0, 3, 1000, 16, 0};
  tags::TMonkey ape;
  EXPECT_TRUE(ape.ReadFromSource(MemorySource(OldApe(ok))));
  EXPECT_FALSE(ape.ReadFromSource(MemorySource(OldApe(ok, 0))));
  EXPECT_FALSE(ape.ReadFromSource(MemorySource(OldApe(ok, 2, 0))));
  OldApeCase noFrames = ok;
  noFrames.frames = 0;
  EXPECT_FALSE(ape.ReadFromSource(MemorySource(OldApe(noFrames))));
}

// From 3.98 on the header follows a descriptor whose size it states; a
// longer descriptor than today's moves the header.
Bytes NewApe(std::uint32_t descriptorBytes, std::uint16_t bits) {
  Bytes b;
  tags::AppendText(b, "MAC ");
  AppendLE16(b, 3990);
  AppendLE16(b, 0);
  AppendLE32(b, descriptorBytes);
  AppendLE32(b, 24);
  b.resize(descriptorBytes, 0x77);
  AppendLE16(b, 5000);  // level
  AppendLE16(b, 0);
  AppendLE32(b, 4608);  // blocks per frame
  AppendLE32(b, 100);   // final frame blocks
  AppendLE32(b, 11);    // frames
  AppendLE16(b, bits);
  AppendLE16(b, 6);
  AppendLE32(b, 96000);
  b.resize(b.size() + 500, 0);
  return b;
}

TEST(BuiltMonkey, DescriptorSizeIsHonoured) {
  for (std::uint32_t descriptor : {52u, 64u}) {
    tags::TMonkey ape;
    ASSERT_TRUE(ape.ReadFromSource(MemorySource(NewApe(descriptor, 24)))) << descriptor;
    EXPECT_EQ(ape.CompressionName(), "Insane");
    EXPECT_EQ(ape.Channels(), 6);
    EXPECT_EQ(ape.SampleRate(), 96000);
    EXPECT_EQ(ape.Bits(), 24);
    EXPECT_EQ(ape.TotalSamples(), 10u * 4608 + 100);
  }
  tags::TMonkey ape;
  EXPECT_FALSE(ape.ReadFromSource(MemorySource(NewApe(40, 16)))) << "descriptor too short";
  EXPECT_FALSE(ape.ReadFromSource(MemorySource(NewApe(52, 0)))) << "no bits";
}

// --- Musepack 4 to 7.1.
Bytes MpcHeader(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2 = 0,
                std::uint32_t word5 = 0) {
  Bytes b;
  for (std::uint32_t w : {word0, word1, word2, 0u, 0u, word5, 0u, 0u}) AppendLE32(b, w);
  b.resize(b.size() + 2000, 0x33);
  return b;
}

std::uint32_t MpPlus(std::uint8_t version) { return 'M' | 'P' << 8 | '+' << 16 | std::uint32_t(version) << 24; }

TEST(BuiltMusepack, StreamVersions4To71) {
  const struct {
    const char* text;
    Bytes header;
    int rate;
    std::uint64_t samples;
    int profile;
  } cases[] = {
      {"4", MpcHeader(4 << 11 | 20 << 6 | 1, 101u << 16), 44100, 100 * 1152, -1},
      {"5", MpcHeader(5 << 11 | 20 << 6 | 1, 101), 44100, 100 * 1152, -1},
      {"6", MpcHeader(6 << 11 | 20 << 6 | 1, 101), 44100, 101 * 1152, -1},
      {"7", MpcHeader(MpPlus(0x07), 50, 10u << 20 | 1u << 16), 48000, 50 * 1152, 10},
      // True gapless: the last frame holds 500 samples.
      {"7.1", MpcHeader(MpPlus(0x17), 50, 13u << 20 | 3u << 16, 1u << 31 | 500u << 20), 32000,
       49 * 1152 + 500, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    tags::TMPEGplus mpc;
    ASSERT_TRUE(mpc.ReadFromSource(MemorySource(c.header)));
    EXPECT_EQ(mpc.StreamVersionText(), c.text);
    EXPECT_EQ(mpc.Channels(), 2);
    EXPECT_EQ(mpc.SampleRate(), c.rate);
    EXPECT_EQ(mpc.Samples(), c.samples);
    EXPECT_EQ(mpc.Profile(), c.profile);
  }
}

TEST(BuiltMusepack, OtherVersionsAndEmptyStreamsAreRefused) {
  const Bytes refused[] = {
      MpcHeader(MpPlus(0x08), 50),            // "MP+" with an unknown version
      MpcHeader(MpPlus(0x27), 50),
      MpcHeader(MpPlus(0x07), 0),             // no frames
      MpcHeader(3 << 11 | 20 << 6 | 1, 101),  // version 3
      MpcHeader(7 << 11 | 20 << 6 | 1, 101),  // 7 without "MP+"
      MpcHeader(6 << 11 | 20 << 6 | 2, 101),  // block size other than 1
      Bytes{'M', 'P', '+', 0x07, 1, 0, 0},    // cut header
  };
  for (const Bytes& b : refused) {
    tags::TMPEGplus mpc;
    EXPECT_FALSE(mpc.ReadFromSource(MemorySource(b))) << testing::PrintToString(Bytes(b.begin(), b.begin() + 8));
  }
}

TEST(BuiltMusepack, Version8StreamHeader) {
  tags::TMPEGplus mpc;
  ASSERT_TRUE(mpc.ReadFromSource(MemorySource(MpcVersion8(480000, 48000, 1, 1))));
  EXPECT_EQ(mpc.StreamVersion(), 8);
  EXPECT_EQ(mpc.SampleRate(), 48000);
  EXPECT_EQ(mpc.Channels(), 1);
  EXPECT_EQ(mpc.Samples(), 432000u);  // leading silence is not played
  EXPECT_DOUBLE_EQ(mpc.Duration(), 9.0);

  // A packet ahead of the stream header is stepped over.
  Bytes withFirst = MpcVersion8(44100, 0, 0, 2);
  const Bytes ei = {'E', 'I', 7, 1, 2, 3, 4};
  withFirst.insert(withFirst.begin() + 4, ei.begin(), ei.end());
  ASSERT_TRUE(mpc.ReadFromSource(MemorySource(withFirst)));
  EXPECT_DOUBLE_EQ(mpc.Duration(), 1.0);

  EXPECT_FALSE(mpc.ReadFromSource(MemorySource(MpcVersion8(44100, 0, 0, 2, false)))) << "bad CRC";
  EXPECT_FALSE(mpc.ReadFromSource(MemorySource(MpcVersion8(0, 0, 0, 2)))) << "no samples";
  EXPECT_FALSE(mpc.ReadFromSource(MemorySource(MpcVersion8(44100, 0, 5, 2)))) << "rate index";
}

// --- AAC with an ADIF header.
Bytes Adif(bool copyright, bool constantRate, std::uint32_t bitsPerSecond, int rateIndex,
           int front, int frontPairs, int backPairs, int lfe) {
  BitWriter w;
  for (char c : std::string("ADIF")) w.Put(std::uint8_t(c), 8);
  w.Put(copyright, 1);
  if (copyright) {
    w.Put(0x12345678, 32);
    w.Put(0x9abcdef0, 32);
    w.Put(0x55, 8);
  }
  w.Put(0, 2);
  w.Put(constantRate ? 0 : 1, 1);
  w.Put(bitsPerSecond, 23);
  w.Put(0, 4);  // one program configuration
  if (constantRate) w.Put(0xFFFFF, 20);
  w.Put(0, 4);
  w.Put(1, 2);  // LC
  w.Put(std::uint32_t(rateIndex), 4);
  w.Put(std::uint32_t(front), 4);
  w.Put(0, 4);
  w.Put(std::uint32_t(backPairs), 4);
  w.Put(std::uint32_t(lfe), 2);
  w.Put(0, 3);
  w.Put(0, 4);
  w.Put(0, 3);  // no mixdowns
  for (int i = 0; i < front; ++i) {
    w.Put(i < frontPairs ? 1 : 0, 1);
    w.Put(std::uint32_t(i), 4);
  }
  for (int i = 0; i < backPairs; ++i) w.Put(0x10, 5);  // channel pair, tag 0
  for (int i = 0; i < lfe; ++i) w.Put(0, 4);
  Bytes b = w.Take();
  b.resize(16000, 0x5a);
  return b;
}

TEST(BuiltAac, AdifHeader) {
  const struct {
    Bytes file;
    int channels, rate, kbits;
  } cases[] = {
      {Adif(false, false, 128000, 4, 1, 1, 0, 0), 2, 44100, 128},
      {Adif(true, true, 64000, 3, 1, 0, 0, 0), 1, 48000, 64},
      {Adif(false, true, 320000, 3, 2, 1, 1, 1), 6, 48000, 320},  // 5.1
  };
  for (const auto& c : cases) {
    tags::TAACfile aac;
    ASSERT_TRUE(aac.ReadFromSource(MemorySource(c.file)));
    EXPECT_EQ(aac.HeaderType(), tags::AacHeaderType::ADIF);
    EXPECT_EQ(aac.Profile(), tags::AacProfile::LC);
    EXPECT_EQ(aac.Channels(), c.channels);
    EXPECT_EQ(aac.SampleRate(), c.rate);
    EXPECT_EQ(aac.BitRate(), c.kbits);
    EXPECT_DOUBLE_EQ(aac.Duration(), 16000.0 * 8 / (c.kbits * 1000));
  }
  tags::TAACfile aac;
  EXPECT_FALSE(aac.ReadFromSource(MemorySource(Adif(false, false, 0, 4, 1, 1, 0, 0)))) << "no bit rate";
  EXPECT_FALSE(aac.ReadFromSource(MemorySource(Adif(false, false, 128000, 13, 1, 1, 0, 0)))) << "rate";
  EXPECT_FALSE(aac.ReadFromSource(MemorySource(Adif(false, false, 128000, 4, 0, 0, 0, 0)))) << "no channels";
}

TEST(BuiltAac, AdtsWalkStopsAtTheFirstNonFrame) {
  Bytes file;
  for (int i = 0; i < 10; ++i) {
    const Bytes f = AdtsFrame(3, 2, 300 + i);
    file.insert(file.end(), f.begin(), f.end());
  }
  file.resize(file.size() + 5000, 0x00);
  tags::TAACfile aac;
  ASSERT_TRUE(aac.ReadFromSource(MemorySource(file)));
  EXPECT_EQ(aac.Frames(), 10u);
  EXPECT_EQ(aac.SampleRate(), 48000);
  EXPECT_EQ(aac.MpegVersion(), 4);
  const double seconds = 10 * 1024 / 48000.0;
  EXPECT_DOUBLE_EQ(aac.Duration(), seconds);
  EXPECT_EQ(aac.BitRate(), int(std::lround((10 * 300 + 45) * 8 / seconds / 1000)));

  EXPECT_FALSE(aac.ReadFromSource(MemorySource(AdtsFrame(3, 0, 300)))) << "channels from a PCE";
  EXPECT_FALSE(aac.ReadFromSource(MemorySource(AdtsFrame(13, 2, 300)))) << "rate index";
  Bytes layer1 = AdtsFrame(3, 2, 300);
  layer1[1] |= 0x02;
  EXPECT_FALSE(aac.ReadFromSource(MemorySource(layer1))) << "layer bits set";
}

// --- MPEG audio: where the search finds the first frame.
Bytes Mp3Frames(std::size_t lead, int frames, std::uint8_t leadFill = 0) {
  Bytes b(lead, leadFill);
  for (int i = 0; i < frames; ++i) {
    const Bytes f = Mp3Frame();
    b.insert(b.end(), f.begin(), f.end());
  }
  return b;
}

TEST(BuiltMpeg, FirstConfirmedFrameIsFoundAcrossSearchBlocks) {
  for (std::size_t lead : {std::size_t(0), std::size_t(1), std::size_t(3455), std::size_t(3456),
                           std::size_t(3458), std::size_t(10000)}) {
    Bytes file = Mp3Frames(lead, 30);
    if (lead >= 4) {
      // A header that the next frame does not confirm comes first.
      const Bytes f = Mp3Frame();
      std::copy(f.begin(), f.begin() + 4, file.begin());
    }
    tags::TMPEGaudio mp3;
    ASSERT_TRUE(mp3.ReadFromSource(MemorySource(file))) << lead;
    EXPECT_EQ(mp3.FramePosition(), lead);
    EXPECT_EQ(mp3.AudioSize(), 30 * kMp3FrameBytes);
    EXPECT_NEAR(mp3.Duration(), 30 * kMp3FrameBytes * 8 / 128000.0, 1e-9);
    EXPECT_EQ(mp3.BitRate(), 128);
  }
}

TEST(BuiltMpeg, ShortStreamsAreRefused) {
  tags::TMPEGaudio mp3;
  EXPECT_FALSE(mp3.ReadFromSource(MemorySource(Mp3Frames(0, 3)))) << "under 0.1 s";
  EXPECT_TRUE(mp3.ReadFromSource(MemorySource(Mp3Frames(0, 5))));
  Bytes cut = Mp3Frame();
  cut.resize(3);
  EXPECT_FALSE(mp3.ReadFromSource(MemorySource(cut)));
}

TEST(BuiltMpeg, VbriHeaderGivesTheFrameCount) {
  Bytes file = Mp3Frames(0, 3);
  const Bytes vbri = {'V', 'B', 'R', 'I', 0, 1, 0, 0, 0, 50, 0, 0x01, 0x00, 0x00, 0, 0, 0x03, 0xE8};
  std::copy(vbri.begin(), vbri.end(), file.begin() + 36);
  tags::TMPEGaudio mp3;
  ASSERT_TRUE(mp3.ReadFromSource(MemorySource(file)));
  EXPECT_EQ(mp3.VBRHeader(), "VBRI");
  EXPECT_TRUE(mp3.VBR());
  EXPECT_EQ(mp3.VBRFrames(), 1000u);
  EXPECT_DOUBLE_EQ(mp3.Duration(), 1000 * 1152 / 44100.0);
  EXPECT_EQ(mp3.BitRate(), int(std::lround(65536 * 8 / mp3.Duration() / 1000)));
}

}  // namespace
