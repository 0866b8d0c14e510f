// File streams on real files of every format: the length is what ffmpeg
// decodes, the samples are ffmpeg's, seeks land on the exact sample, and
// each creator opens only its own formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "audio/zaudio.h"
#include "format_files.h"
#include "support/scratch_dir.h"

namespace zovedu_test {
namespace {

using namespace zaudio;

constexpr double kSeconds = 3.0;

class FormatFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<ScratchDir>();
    files_ = MakeFormatFiles(dir_->path(), kSeconds);
  }
  static void TearDownTestSuite() {
    files_.clear();
    dir_.reset();
  }
  static std::unique_ptr<ScratchDir> dir_;
  static std::vector<FormatFile> files_;
};

std::unique_ptr<ScratchDir> FormatFiles::dir_;
std::vector<FormatFile> FormatFiles::files_;

double MaxDifference(const std::int16_t* a, const std::int16_t* b, size_t n) {
  double worst = 0;
  for (size_t i = 0; i < n; ++i) worst = std::max(worst, std::fabs(double(a[i]) - double(b[i])));
  return worst;
}

// The shift (in frames, -16..16) at which `got` matches the whole decode from
// `target` on best, by the squared difference of the left channel.
int BestLag(const std::vector<std::int16_t>& got, const std::vector<std::int16_t>& whole, size_t target,
            size_t frames) {
  int best = 0;
  double bestError = -1;
  const size_t n = got.size() / 2;
  for (int lag = -16; lag <= 16; ++lag) {
    if (static_cast<long>(target) + lag < 0 || target + lag + n > frames) continue;
    double error = 0;
    for (size_t i = 0; i < n; ++i) {
      const double d = double(got[2 * i]) - double(whole[2 * (target + lag + i)]);
      error += d * d;
    }
    if (bestError < 0 || error < bestError) {
      bestError = error;
      best = lag;
    }
  }
  return best;
}

TEST_F(FormatFiles, LengthAndSamplesAreWhatFfmpegDecodes) {
  for (const auto& f : files_) {
    SCOPED_TRACE(f.name);
    const auto reference = FfmpegDecode(f);
    ASSERT_FALSE(reference.empty());
    const HSTREAM h = f.creator(false, f.path.c_str(), 0, 0, STREAM_DECODE);
    ASSERT_NE(h, 0u) << ErrorGetCode();
    ChannelInfo info;
    ASSERT_TRUE(ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.flags & STREAM_DECODE, STREAM_DECODE);
    // Before anything is decoded: the headers or the packet scan.
    EXPECT_EQ(ChannelGetLength(h, POS_BYTE), reference.size() * 2);
    StreamFree(h);

    const auto decoded = StreamDecode(f);
    ASSERT_EQ(decoded.size(), reference.size());
    EXPECT_EQ(MaxDifference(decoded.data(), reference.data(), decoded.size()), 0.0);
  }
}

TEST_F(FormatFiles, EndOfDecodeOnlyStream) {
  const auto& f = files_.front();
  const HSTREAM h = f.creator(false, f.path.c_str(), 0, 0, STREAM_DECODE);
  ASSERT_NE(h, 0u);
  const QWORD length = ChannelGetLength(h, POS_BYTE);
  ASSERT_TRUE(ChannelSetPosition(h, length - 8, POS_BYTE));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PLAYING);
  std::int16_t block[64];
  EXPECT_EQ(ChannelGetData(h, block, sizeof block), 8u);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), length);
  EXPECT_EQ(ChannelGetData(h, block, sizeof block), DATA_ERROR);
  EXPECT_EQ(ErrorGetCode(), ERROR_ENDED);
  EXPECT_EQ(ChannelGetLevel(h), 0xFFFFFFFFu);
  EXPECT_EQ(ErrorGetCode(), ERROR_ENDED);
  // Past the end is refused and the stream stays where it was.
  EXPECT_FALSE(ChannelSetPosition(h, length + 4, POS_BYTE));
  EXPECT_EQ(ErrorGetCode(), ERROR_POSITION);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), length);
  StreamFree(h);
}

TEST_F(FormatFiles, SeeksLandOnTheExactSample) {
  for (const auto& f : files_) {
    SCOPED_TRACE(f.name);
    const auto whole = StreamDecode(f);
    ASSERT_GT(whole.size(), 44100u * 2);
    const HSTREAM h = f.creator(false, f.path.c_str(), 0, 0, STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const size_t frames = whole.size() / 2;
    // Backwards and forwards, near and far, on and off packet boundaries.
    for (size_t target : {frames / 2 + 17, size_t{1}, frames - 3000, size_t{44100}, size_t{4095}, size_t{0},
                          frames / 3 + 1, frames - 1}) {
      SCOPED_TRACE(target);
      ASSERT_TRUE(ChannelSetPosition(h, target * 4, POS_BYTE)) << ErrorGetCode();
      EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), target * 4);
      std::vector<std::int16_t> got(2 * std::min<size_t>(2048, frames - target));
      ASSERT_EQ(ChannelGetData(h, got.data(), static_cast<DWORD>(got.size() * 2)), got.size() * 2);
      if (f.lossless) {
        EXPECT_EQ(MaxDifference(got.data(), whole.data() + 2 * target, got.size()), 0.0);
      } else if (got.size() >= 2 * 512) {
        // A lossy decoder restarted at a seek point differs a little from
        // one that ran from the start (noise substitution draws other random
        // values, a speech decoder's filters settle), but the samples must
        // line up: no other offset fits better.
        EXPECT_EQ(BestLag(got, whole, target, frames), 0);
      }
    }
    StreamFree(h);
  }
}

TEST_F(FormatFiles, EachCreatorOpensOnlyItsOwnFormats) {
  const std::vector<std::pair<std::string, Creator>> creators = {
      {"Plain", &StreamCreateFile}, {"AAC", &AAC_StreamCreateFile}, {"MP4", &MP4_StreamCreateFile},
      {"APE", &APE_StreamCreateFile}, {"FLAC", &FLAC_StreamCreateFile}, {"MPC", &MPC_StreamCreateFile},
      {"SPX", &SPX_StreamCreateFile}, {"TTA", &TTA_StreamCreateFile}, {"WV", &WV_StreamCreateFile},
      {"WMA", &WMA_StreamCreateFile}};
  for (const auto& [creatorName, creator] : creators) {
    for (const auto& f : files_) {
      SCOPED_TRACE(creatorName + " on " + f.name);
      const HSTREAM h = creator(false, f.path.c_str(), 0, 0, STREAM_DECODE);
      if (creator == f.creator) {
        EXPECT_NE(h, 0u) << ErrorGetCode();
      } else {
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(ErrorGetCode(), ERROR_FILEFORM);
      }
      if (h) StreamFree(h);
    }
  }
}

TEST_F(FormatFiles, LevelOfDecodeOnlyStreamReadsTwentyMilliseconds) {
  const auto& f = files_.front();  // 1 kHz left, 1.5 kHz right at half scale
  const HSTREAM h = f.creator(false, f.path.c_str(), 0, 0, STREAM_DECODE);
  ASSERT_NE(h, 0u);
  const QWORD step = ChannelSeconds2Bytes(h, 0.02);
  EXPECT_EQ(step, 882u * 4);
  for (int i = 1; i <= 3; ++i) {
    const DWORD level = ChannelGetLevel(h);
    EXPECT_NEAR(level & 0xffff, 16384, 700);
    EXPECT_NEAR(level >> 16, 16384, 700);
    EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), step * i);
  }
  StreamFree(h);
}

TEST_F(FormatFiles, FromMemoryAndFromAWindowOfAFile) {
  const auto& f = files_.front();
  const auto whole = StreamDecode(f);
  std::vector<char> bytes;
  {
    FILE* in = std::fopen(f.path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(in);
  }
  // The same file behind 1000 bytes of something else, read as a window.
  const auto padded = dir_->path() / "padded.bin";
  {
    FILE* out = std::fopen(padded.c_str(), "wb");
    std::vector<char> junk(1000, 'x');
    std::fwrite(junk.data(), 1, junk.size(), out);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
  const HSTREAM fromMemory = StreamCreateFile(true, bytes.data(), 0, bytes.size(), STREAM_DECODE);
  const HSTREAM fromWindow = StreamCreateFile(false, padded.c_str(), 1000, bytes.size(), STREAM_DECODE);
  for (HSTREAM h : {fromMemory, fromWindow}) {
    ASSERT_NE(h, 0u) << ErrorGetCode();
    std::vector<std::int16_t> got(whole.size() + 100);
    EXPECT_EQ(ChannelGetData(h, got.data(), static_cast<DWORD>(got.size() * 2)), whole.size() * 2);
    got.resize(whole.size());
    EXPECT_EQ(got, whole);
    StreamFree(h);
  }
}

TEST(FileStreamErrors, MissingEmptyAndForeignFiles) {
  ScratchDir dir;
  const auto empty = dir / "empty.wav";
  const auto text = dir / "notes.mp3";
  std::fclose(std::fopen(empty.c_str(), "wb"));
  FILE* t = std::fopen(text.c_str(), "wb");
  std::fputs("These are not the samples you are looking for.\n", t);
  std::fclose(t);
  struct Case {
    std::string file;
    int error;
  };
  for (const Case& c : {Case{(dir / "missing.wav").string(), ERROR_FILEOPEN}, Case{dir.path().string(), ERROR_FILEOPEN},
                        Case{empty.string(), ERROR_FILEFORM}, Case{text.string(), ERROR_FILEFORM}}) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(StreamCreateFile(false, c.file.c_str(), 0, 0, STREAM_DECODE), 0u);
    EXPECT_EQ(ErrorGetCode(), c.error);
  }
  EXPECT_EQ(StreamCreateFile(false, nullptr, 0, 0, STREAM_DECODE), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FILEOPEN);
}

}  // namespace
}  // namespace zovedu_test

namespace zovedu_test {
namespace {

// Truncated and damaged copies of every format: creation fails with an error,
// or the stream decodes to an end; nothing crashes or hangs.
TEST_F(FormatFiles, DamagedCopiesEndOrFailButNeverHang) {
  std::uint32_t seed = 2024;
  auto random = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (const auto& f : files_) {
    SCOPED_TRACE(f.name);
    std::vector<char> original;
    {
      FILE* in = std::fopen(f.path.c_str(), "rb");
      ASSERT_NE(in, nullptr);
      char buf[65536];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) original.insert(original.end(), buf, buf + n);
      std::fclose(in);
    }
    std::vector<std::vector<char>> copies;
    for (double part : {0.0005, 0.01, 0.3, 0.77, 0.999}) copies.emplace_back(original.begin(), original.begin() + static_cast<long>(original.size() * part));
    for (int variant = 0; variant < 6; ++variant) {
      auto damaged = original;
      // Bytes changed in the header region and all over the file.
      for (int i = 0; i < 30; ++i) {
        const size_t at = variant % 2 ? random() % std::min<size_t>(damaged.size(), 4096) : random() % damaged.size();
        damaged[at] = static_cast<char>(random());
      }
      copies.push_back(std::move(damaged));
    }
    for (size_t c = 0; c < copies.size(); ++c) {
      SCOPED_TRACE(c);
      const auto path = dir_->path() / ("damaged-" + f.name);
      {
        FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(copies[c].data(), 1, copies[c].size(), out);
        std::fclose(out);
      }
      const HSTREAM h = f.creator(false, path.c_str(), 0, 0, STREAM_DECODE);
      if (!h) {
        const int error = ErrorGetCode();
        EXPECT_TRUE(error == ERROR_FILEFORM || error == ERROR_FORMAT) << error;
        continue;
      }
      const QWORD length = ChannelGetLength(h, POS_BYTE);
      ChannelSetPosition(h, length / 2, POS_BYTE);
      ChannelSetPosition(h, 0, POS_BYTE);
      std::int16_t block[16384];
      // A stream delivers no more than a few times its stated length (a
      // damaged header may state anything) before it ends.
      int reads = 0;
      QWORD total = 0;
      while (ChannelGetData(h, block, sizeof block) != DATA_ERROR && reads < 20000) {
        ++reads;
        total += sizeof block;
      }
      EXPECT_LT(reads, 20000);
      EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
      StreamFree(h);
    }
  }
}

// A file deleted while its stream is open still decodes (the stream holds
// it open); one cut short while open ends early.
TEST_F(FormatFiles, DeletedOrTruncatedWhileOpen) {
  const auto& f = files_.front();
  for (bool truncate : {false, true}) {
    const auto path = dir_->path() / "open.wav";
    std::filesystem::copy_file(f.path, path, std::filesystem::copy_options::overwrite_existing);
    const HSTREAM h = f.creator(false, path.c_str(), 0, 0, STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const QWORD stated = ChannelGetLength(h, POS_BYTE);
    if (truncate)
      std::filesystem::resize_file(path, 20000);
    else
      std::filesystem::remove(path);
    std::int16_t block[4096];
    QWORD total = 0;
    DWORD got;
    while ((got = ChannelGetData(h, block, sizeof block)) != DATA_ERROR) total += got;
    if (truncate)
      EXPECT_LT(total, stated);  // what was read ahead, then the end
    else
      EXPECT_EQ(total, stated);
    // From there on the length is what the stream delivered.
    EXPECT_EQ(ChannelGetLength(h, POS_BYTE), total);
    EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
    StreamFree(h);
  }
}

}  // namespace
}  // namespace zovedu_test
