// On a full disk a save that has to rewrite the file fails and leaves it
// byte-identical, without a "~" file.
#include "support/full_disk.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "tags/flac_tags.h"
#include "tags/ogg_vorbis.h"
#include "vorbis_test_files.h"

namespace {

using namespace vorbis_test;

template <typename Tags>
void ExpectFullDiskLeavesFile(const Bytes& original, const std::string& name) {
  const int result = zovedu_test::RunOnFullDisk(
      [&](const fs::path& d) { WriteAll(d / name, original); },
      [&](const fs::path& d) {
        const std::string f = (d / name).string();
        int failures = 0;
        for (const std::size_t size : {40u, 100000u}) {  // same header pages, then more of them
          Tags tags;
          if (!tags.LoadFile(f)) return 2;
          tags.Comment = std::string(size, 'c');
          failures += !tags.SaveTags(f);
        }
        const bool same = ReadAll(f) == original && !fs::exists(f + "~");
        return failures == 2 && same ? 0 : 1;
      });
  EXPECT_EQ(result, 0);
}

TEST(FullDisk, OggSaveLeavesFileByteIdentical) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  zovedu_test::ScratchDir dir;
  ExpectFullDiskLeavesFile<tags::TOggVorbis>(ReadAll(MakeOgg(dir.path(), "a.ogg", {"ARTIST=x"})), "a.ogg");
}

TEST(FullDisk, FlacRewriteLeavesFileByteIdentical) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  zovedu_test::ScratchDir dir;
  // Without padding even the small comment needs a rewrite.
  ExpectFullDiskLeavesFile<tags::TFlacTags>(
      ReadAll(MakeFlac(dir.path(), "a.flac", {"ARTIST=x"}, {"--padding=0"})), "a.flac");
}

}  // namespace
