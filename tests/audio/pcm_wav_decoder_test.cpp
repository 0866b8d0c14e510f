// WAV files of 16-bit PCM are read directly, the rest by the codec module.
// Read directly, every layout the recorder writes or leaves behind (RIFF,
// extensible, RF64, a header never completed or cut short, chunks after the
// data, a memory window) gives what the codec libraries give: the format,
// the length and every sample, from the start and after seeks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "audio/codec_module.h"
#include "audio/encode/wav_header.h"
#include "audio/file_decoder.h"
#include "audio/pcm_wav_decoder.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"

namespace {

using zaudio::FileDecoder;
using zaudio::FileKind;
using zaudio::FileSource;

struct Decoded {
  zaudio::DWORD rate = 0, channels = 0, ctype = 0;
  std::uint64_t length = 0;
  std::vector<std::int16_t> all, afterSeeks;
};

// Everything one decoder gives: all samples, then the frames read after
// seeking back to a third and forward to two thirds.
Decoded Decode(FileDecoder& d) {
  Decoded r{d.rate(), d.channels(), d.ctype(), d.lengthFrames(), {}, {}};
  std::vector<std::int16_t> block(1000 * d.channels());
  for (size_t got; (got = d.read(block.data(), 1000)) > 0;)
    r.all.insert(r.all.end(), block.begin(), block.begin() + static_cast<long>(got * d.channels()));
  EXPECT_TRUE(d.ended());
  for (std::uint64_t to : {r.length / 3, r.length * 2 / 3}) {
    EXPECT_TRUE(d.seek(to));
    const size_t got = d.read(block.data(), 300);
    r.afterSeeks.insert(r.afterSeeks.end(), block.begin(), block.begin() + static_cast<long>(got * d.channels()));
  }
  return r;
}

void Set32(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

size_t DataSizeAt(const std::vector<std::uint8_t>& b) {
  for (size_t i = 12; i + 8 <= b.size(); ++i)
    if (std::memcmp(b.data() + i, "data", 4) == 0) return i + 4;
  return 0;
}

struct Case {
  const char* name;
  zaudio::DWORD channels;
  bool rf64;
  std::function<void(std::vector<std::uint8_t>&)> change;  // to the whole file
};

TEST(PcmWavDecoder, ReadsEveryLayoutAsTheCodecLibrariesDo) {
  const zaudio::CodecModule* codecs = zaudio::Codecs();
  ASSERT_NE(codecs, nullptr);
  const Case cases[] = {
      {"stereo", 2, false, nullptr},
      {"mono", 1, false, nullptr},
      {"six channels, extensible", 6, false, nullptr},
      {"RF64", 2, true, nullptr},
      {"size never written", 2, false, [](auto& b) { Set32(b, DataSizeAt(b), 0); }},
      {"size unknown", 2, false, [](auto& b) { Set32(b, DataSizeAt(b), 0xFFFFFFFF); }},
      {"cut short", 2, false, [](auto& b) { b.resize(b.size() - 1003); }},
      {"a chunk after the data", 2, false,
       [](auto& b) {
         const char list[] = "LIST\x0a\0\0\0INFOabcdef";
         b.insert(b.end(), list, list + 18);
       }},
      {"half a frame at the end", 2, false,
       [](auto& b) {
         b.push_back(7);
         Set32(b, DataSizeAt(b), static_cast<std::uint32_t>(b.size() - DataSizeAt(b) - 4));
       }},
  };
  zovedu_test::ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const zovedu_test::PcmFormat format{16, static_cast<int>(c.channels), 22050};
    const zovedu_test::Bytes pcm = zovedu_test::ToPcm(zovedu_test::TestSignal(format, 1.5, 440, 0.7, 0.1), 16);
    zaudio::WavFileSizes sizes;
    sizes.dataBytes = pcm.size();
    sizes.rf64 = c.rf64;
    std::vector<std::uint8_t> file =
        zaudio::FileWavHeader({22050, c.channels, zaudio::PcmEncoding::S16}, sizes);
    file.insert(file.end(), pcm.begin(), pcm.end());
    if (c.change) c.change(file);
    const auto path = dir / "file.wav";
    zovedu_test::WriteFile(path, file);

    // From the file and from a window of memory with bytes around it.
    std::vector<std::uint8_t> memory(file.size() + 200, 0xAB);
    std::copy(file.begin(), file.end(), memory.begin() + 100);
    FileSource onDisk;
    onDisk.path = path.string();
    FileSource inMemory;
    inMemory.memory = true;
    inMemory.data = memory.data();
    inMemory.offset = 100;
    inMemory.length = file.size();
    for (const FileSource& source : {onDisk, inMemory}) {
      zaudio::SourceBytes bytes;
      ASSERT_EQ(bytes.open(source), zaudio::OK);
      auto direct = zaudio::OpenPcmWav(bytes);
      ASSERT_TRUE(direct) << "not read directly";
      int error = -1;
      auto libraries = codecs->openDecoder(source, FileKind::Plain, error);
      ASSERT_TRUE(libraries) << error;
      const Decoded a = Decode(*direct), b = Decode(*libraries);
      EXPECT_EQ(a.rate, b.rate);
      EXPECT_EQ(a.channels, b.channels);
      EXPECT_EQ(a.ctype, b.ctype);
      EXPECT_EQ(a.length, b.length);
      EXPECT_EQ(a.all.size(), b.all.size());
      EXPECT_TRUE(a.all == b.all);
      EXPECT_TRUE(a.afterSeeks == b.afterSeeks);
    }
  }
}

// Formats other than 16-bit PCM still play, through the codec libraries.
TEST(PcmWavDecoder, OtherSampleFormatsGoToTheCodecLibraries) {
  zovedu_test::ScratchDir dir;
  for (int bits : {8, 24, 32}) {
    SCOPED_TRACE(bits);
    const zovedu_test::PcmFormat format{bits, 2, 44100};
    const zovedu_test::Bytes pcm = zovedu_test::ToPcm(zovedu_test::TestSignal(format, 0.5, 440, 0.5), bits);
    const auto path = dir / "file.wav";
    zovedu_test::WriteFile(path, zovedu_test::WavStream(format, pcm, static_cast<std::uint32_t>(pcm.size())));
    FileSource source;
    source.path = path.string();
    zaudio::SourceBytes bytes;
    ASSERT_EQ(bytes.open(source), zaudio::OK);
    EXPECT_FALSE(zaudio::OpenPcmWav(bytes));
    int error = -1;
    auto d = FileDecoder::open(source, FileKind::Plain, error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(d->lengthFrames(), 22050u);
    EXPECT_EQ(d->channels(), 2u);
  }
}

}  // namespace
