#include "tags/toolkit/safe_file.h"

#include <gtest/gtest.h>

#include "support/test_wav.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <map>
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

// What a folder holds: each entry's name with its content, or a link's
// target.
std::map<std::string, std::string> Listing(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (fs::is_symlink(e.symlink_status())) {
      out[name] = "link to " + fs::read_symlink(e.path()).string();
    } else {
      const Bytes b = ReadAll(e.path());
      out[name] = std::string(b.begin(), b.end());
    }
  }
  return out;
}

// Replaces a.mp3 and returns what is wrong afterwards (empty when nothing):
// the result must be as expected, everything beside a.mp3 exactly as it
// was, nothing left behind, and a.mp3 a plain file with its mode and either
// its old or its new content.
std::string ReplaceAndCheck(const fs::path& d, bool mustSucceed) {
  const Bytes fresh = Pattern(4096, 9);
  auto before = Listing(d);
  const Bytes old = ReadAll(d / "a.mp3");
  const bool ok = tags::ReplaceFile((d / "a.mp3").string(), [&](int out) { return tags::WriteBytes(out, fresh); });
  if (ok != mustSucceed) return ok ? "the replacement succeeded" : "the replacement failed";
  auto after = Listing(d);
  const Bytes now = ReadAll(d / "a.mp3");
  if (now != (ok ? fresh : old)) return "a.mp3 holds the wrong bytes";
  before.erase("a.mp3");
  after.erase("a.mp3");
  if (before != after) return "what stands beside a.mp3 changed, or something was left behind";
  struct stat st {};
  if (::lstat((d / "a.mp3").c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "a.mp3 is no plain file";
  if ((st.st_mode & 07777) != 0640) return "a.mp3 lost its mode";
  return {};
}

// The temporary copy never writes through or over what stands beside the
// file; a full disk or a read-only folder leave everything as it was.
TEST(SafeFile, ReplaceFileNeverTouchesWhatStandsBeside) {
  const auto file = [](const fs::path& d) {
    WriteAll(d / "a.mp3", Pattern(1000));
    ::chmod((d / "a.mp3").c_str(), 0640);
  };
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> beside;
    int disk;  // 0 plain, 1 full, 2 read-only
    bool succeeds;
  };
  const Case cases[] = {
      {"a link at the old temporary name",
       [](const fs::path& d) {
         WriteAll(d / "victim", Pattern(10, 3));
         fs::create_symlink(d / "victim", d / "a.mp3~");
       },
       0, true},
      {"the user's own a.mp3~ backup", [](const fs::path& d) { WriteAll(d / "a.mp3~", Pattern(10, 5)); }, 0, true},
      {"a full disk", [](const fs::path& d) { WriteAll(d / "a.mp3~", Pattern(10, 5)); }, 1, false},
      {"a read-only folder", [](const fs::path&) {}, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.disk == 0) {
      zovedu_test::ScratchDir dir;
      file(dir.path());
      c.beside(dir.path());
      EXPECT_EQ(ReplaceAndCheck(dir.path(), c.succeeds), "");
      continue;
    }
    if (!zovedu_test::CanMountFullDisk()) {
      std::cout << "skipped without root: " << c.name << "\n";
      continue;
    }
    const auto setup = [&](const fs::path& d) {
      file(d);
      c.beside(d);
    };
    const auto body = [&](const fs::path& d) { return ReplaceAndCheck(d, c.succeeds).empty() ? 0 : 1; };
    EXPECT_EQ(c.disk == 1 ? zovedu_test::RunOnFullDisk(setup, body, 2u << 20)
                          : zovedu_test::RunOnReadOnlyDisk(setup, body),
              0);
  }
}

}  // namespace
