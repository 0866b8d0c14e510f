// Arbitrary bytes: every reader returns, reads only inside the input and, when
// it accepts something, reports facts that make sense.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "built_headers.h"
#include "reader_files.h"
#include "tags/toolkit/byte_order.h"

namespace {

using namespace readers_test;
using namespace std::string_literals;  // texts with zero bytes

constexpr Kind kAllKinds[] = {Kind::Mpeg, Kind::Monkey, Kind::Aac, Kind::Mpc};

void ExpectSane(const Facts& f, const std::string& what) {
  if (!f.accepted) return;
  EXPECT_TRUE(f.valid) << what;
  EXPECT_GT(f.channels, 0) << what;
  EXPECT_GT(f.sampleRate, 0) << what;
  EXPECT_TRUE(std::isfinite(f.duration) && f.duration > 0) << what << ": " << f.duration;
  EXPECT_GE(f.bitRate, 0) << what;
}

Bytes RandomBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes b(n);
  for (auto& byte : b) byte = std::uint8_t(random());
  return b;
}

Bytes Plant(Bytes b, std::size_t at, const Bytes& what) {
  if (b.size() < at + what.size()) b.resize(at + what.size());
  std::copy(what.begin(), what.end(), b.begin() + std::ptrdiff_t(at));
  return b;
}

Bytes Repeat(const Bytes& unit, std::size_t total) {
  Bytes b;
  while (b.size() < total) b.insert(b.end(), unit.begin(), unit.end());
  return b;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(ReaderHostileInput, PlantedSyncWordsAndSizesAtTheirMaximum) {
  const Bytes noise = RandomBytes(200000, 7);
  const Bytes ff(9, 0xFF);
  Bytes mpckHuge = Text("MPCK");
  for (const char* key : {"SH", "AP"}) {
    tags::AppendText(mpckHuge, key);
    mpckHuge.insert(mpckHuge.end(), ff.begin(), ff.end());
  }
  Bytes xingMax = Mp3Frame();
  const Bytes xing = {'X', 'i', 'n', 'g', 0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::copy(xing.begin(), xing.end(), xingMax.begin() + 36);
  Bytes xingOne = xingMax;
  const Bytes oneFrame = {0, 0, 0, 1};  // too short to be audio
  std::copy(oneFrame.begin(), oneFrame.end(), xingOne.begin() + 36 + 8);

  const struct {
    const char* name;
    Bytes data;
  } inputs[] = {
      {"all 0xFF", Bytes(1 << 20, 0xFF)},
      {"all zero", Bytes(100000, 0)},
      {"noise", noise},
      {"noise with an MPEG header", Plant(noise, 1000, Mp3Frame())},
      {"MPEG headers every 4 bytes", Repeat({0xFF, 0xFB, 0x90, 0x00}, 300000)},
      {"Xing with counts at maximum", Repeat(xingMax, 20 * kMp3FrameBytes)},
      {"Xing claiming one frame", Repeat(xingOne, 20 * kMp3FrameBytes)},
      {"shortest ADTS frames", Repeat(AdtsFrame(4, 2, 7), 700000)},
      {"longest ADTS frame, cut", Plant(AdtsFrame(4, 2, 0x1FFF), 7, Bytes(100, 0))},
      {"ADTS then noise", Plant(noise, 0, AdtsFrame(4, 2, 500))},
      {"ADIF then noise", Plant(noise, 0, Text("ADIF"))},
      {"ADIF alone", Text("ADIF")},
      {"MAC with sizes at maximum", Plant(Bytes(200, 0xFF), 0, Text("MAC \xa6\x0f"))},
      {"old MAC with sizes at maximum", Plant(Bytes(200, 0xFF), 0, Text("MAC \x82\x0f"))},
      {"MAC alone", Text("MAC ")},
      {"MPCK with varints at maximum", mpckHuge},
      {"MPCK with empty packets", Plant(Repeat(Text("AB\x03"), 300000), 0, Text("MPCK"))},
      {"MPCK with a zero size", Text("MPCKSH\x00"s)},
      {"MPCK then noise", Plant(noise, 0, Text("MPCK"))},
      {"MP+ then noise", Plant(noise, 0, Text("MP+\x07"))},
      {"ID3v2 claiming 256 MB", Plant(noise, 0, Text("ID3\x03\x00\x00\x7f\x7f\x7f\x7f"s))},
      {"ID3v2 over an ADTS stream", Plant(Repeat(AdtsFrame(4, 2, 300), 30000), 0,
                                         Text("ID3\x03\x00\x00\x00\x00\x02\x00"s))},
      {"APE footer claiming 4 GB", Plant(noise, noise.size() - 32,
                                         Plant(Text("APETAGEX\xd0\x07\x00\x00"s), 12, ff))},
  };
  for (const auto& input : inputs) {
    for (Kind k : kAllKinds) {
      ExpectSane(ReadBytes(k, input.data), KindName(k) + " on " + input.name);
    }
  }
  // What must not be taken for audio.
  EXPECT_FALSE(ReadBytes(Kind::Mpeg, Repeat(xingOne, 20 * kMp3FrameBytes)).accepted);
  EXPECT_FALSE(ReadBytes(Kind::Monkey, Text("MAC ")).accepted);
  EXPECT_FALSE(ReadBytes(Kind::Mpc, Text("MPCKSH\x00"s)).accepted);
  EXPECT_FALSE(ReadBytes(Kind::Aac, Text("ADIF")).accepted);
}

// Cut anywhere inside the header, each file is refused.
TEST(ReaderHostileInput, TruncatedHeadersAreRefused) {
  const Files& f = MadeFiles();
  const struct {
    fs::path file;
    Kind kind;
    std::size_t headerBytes;
  } cases[] = {
      {f.mp3Cbr, Kind::Mpeg, 4},
      {f.apeStereo, Kind::Monkey, 52 + 24},
      {f.aacStereo, Kind::Aac, 7},
      {f.mpc, Kind::Mpc, 4 + 14},
  };
  for (const auto& c : cases) {
    const Bytes whole = ReadAll(c.file);
    ASSERT_GT(whole.size(), c.headerBytes);
    for (std::size_t n = 0; n < c.headerBytes; ++n) {
      EXPECT_FALSE(ReadBytes(c.kind, Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(n))).accepted)
          << KindName(c.kind) << " accepted " << n << " bytes of " << c.file.filename();
    }
  }
}

// Damaged real files: many bytes of the headers and the first frames changed.
TEST(ReaderHostileInput, DamagedRealFiles) {
  const Files& f = MadeFiles();
  std::mt19937 random(1234);
  for (const fs::path& file : {f.mp3Vbr, f.apeStereo, f.aacStereo, f.mpc}) {
    const Bytes good = ReadAll(file);
    const std::size_t span = std::min<std::size_t>(good.size(), 600);
    for (int i = 0; i < 400; ++i) {
      Bytes bad = good;
      for (int k = 0; k < 1 + i % 4; ++k) {
        bad[random() % span] = std::uint8_t(random() % 3 ? random() : 0xFF);
      }
      if (i % 5 == 0) bad.resize(random() % bad.size());
      for (Kind k : kAllKinds) ExpectSane(ReadBytes(k, bad), KindName(k) + " on damaged " + file.filename().string());
    }
  }
}

}  // namespace
