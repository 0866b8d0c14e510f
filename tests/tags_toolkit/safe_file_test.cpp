#include "tags/toolkit/safe_file.h"

#include <gtest/gtest.h>

#include "support/test_wav.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "support/full_disk.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using tags::Bytes;

Bytes ReadAll(const fs::path& p) { return zovedu_test::ReadFile(p.string()); }

void WriteAll(const fs::path& p, const Bytes& b) { zovedu_test::WriteFile(p, b); }

Bytes Pattern(std::size_t n, std::uint8_t seed = 1) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(i * 31 + seed);
  return b;
}

TEST(SafeFile, ReplaceFileCopiesKeepsModeAndFollowsLinks) {
  zovedu_test::ScratchDir dir;
  const Bytes original = Pattern(3 << 20);
  WriteAll(dir / "a.mp3", original);
  ::chmod((dir / "a.mp3").c_str(), 0640);
  fs::create_symlink(dir / "a.mp3", dir / "link.mp3");

  const Bytes head = {'N', 'E', 'W'};
  ASSERT_TRUE(tags::ReplaceFile((dir / "link.mp3").string(), [&](int out) {
    const int in = ::open((dir / "a.mp3").c_str(), O_RDONLY);
    const bool ok = tags::WriteBytes(out, head) && tags::CopyRange(in, 10, original.size() - 10, out);
    ::close(in);
    return ok;
  }));

  Bytes expected = head;
  expected.insert(expected.end(), original.begin() + 10, original.end());
  EXPECT_EQ(ReadAll(dir / "a.mp3"), expected);
  EXPECT_TRUE(fs::is_symlink(dir / "link.mp3"));
  struct stat st {};
  ::stat((dir / "a.mp3").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_FALSE(fs::exists(dir / "a.mp3~"));
}

TEST(SafeFile, FailedWriterOrCheckLeavesFileAndNoTemp) {
  zovedu_test::ScratchDir dir;
  const Bytes original = Pattern(1000);
  WriteAll(dir / "a.ogg", original);
  EXPECT_FALSE(tags::ReplaceFile((dir / "a.ogg").string(), [](int) { return false; }));
  EXPECT_FALSE(tags::ReplaceFile((dir / "a.ogg").string(), [](int out) { return tags::WriteBytes(out, Bytes{1}); },
                                 [](const std::string&) { return false; }));
  EXPECT_EQ(ReadAll(dir / "a.ogg"), original);
  EXPECT_FALSE(fs::exists(dir / "a.ogg~"));
}

TEST(SafeFile, TailAndInPlaceChangesOnReadOnlyFile) {
  zovedu_test::ScratchDir dir;
  const fs::path f = dir / "a.ape";
  WriteAll(f, Pattern(5000));
  ::chmod(f.c_str(), 0444);

  const Bytes tail = Pattern(300, 7);
  ASSERT_TRUE(tags::ReplaceTail(f.string(), 4900, tail));
  ASSERT_TRUE(tags::OverwriteInPlace(f.string(), 10, Bytes{9, 9, 9}));
  Bytes expected = Pattern(5000);
  expected.resize(4900);
  expected.insert(expected.end(), tail.begin(), tail.end());
  expected[10] = expected[11] = expected[12] = 9;
  EXPECT_EQ(ReadAll(f), expected);
  struct stat st {};
  ::stat(f.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0444u);

  EXPECT_FALSE(tags::ReplaceTail(f.string(), 999999, tail));
  EXPECT_FALSE(tags::OverwriteInPlace(f.string(), 5199, Bytes{1, 2}));
  EXPECT_EQ(ReadAll(f), expected);
}

// On a full disk every way of changing a file fails and leaves it as it was.
TEST(SafeFile, FullDiskLeavesFileByteIdentical) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  const Bytes original = Pattern(1 << 20);
  const int result = zovedu_test::RunOnFullDisk(
      [&](const fs::path& d) { WriteAll(d / "f.flac", original); },
      [&](const fs::path& d) {
        const std::string f = (d / "f.flac").string();
        int failures = 0;
        failures += !tags::ReplaceTail(f, original.size() - 100, Pattern(64 << 10));
        failures += !tags::ReplaceFile(f, [&](int out) {
          const int in = ::open(f.c_str(), O_RDONLY);
          const bool ok = tags::WriteBytes(out, Pattern(8192)) && tags::CopyRange(in, 0, original.size(), out);
          ::close(in);
          return ok;
        });
        const bool same = ReadAll(d / "f.flac") == original && !fs::exists(d / "f.flac~");
        return failures == 2 && same ? 0 : 1;
      });
  EXPECT_EQ(result, 0);
}

}  // namespace
