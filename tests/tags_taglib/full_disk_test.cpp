// On a full disk a save fails and leaves the file byte-identical, without a
// "~" file.
#include "support/full_disk.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "support/scratch_dir.h"
#include "taglib_test_files.h"
#include "tags/taglib/mp4tag.h"
#include "tags/taglib/wma_tags.h"

namespace {

using namespace taglib_test;

void ExpectFullDiskLeavesFile(const Bytes& original, const std::string& name,
                              const std::function<bool(const std::string& file)>& save) {
  const int result = zovedu_test::RunOnFullDisk([&](const fs::path& d) { WriteAll(d / name, original); },
                                                [&](const fs::path& d) {
                                                  const std::string f = (d / name).string();
                                                  if (save(f)) return 2;
                                                  const bool same = ReadAll(f) == original && !fs::exists(f + "~");
                                                  return same ? 0 : 1;
                                                });
  EXPECT_EQ(result, 0) << "2: the save claimed success, 1: the file changed";
}

TEST(TaglibFullDisk, WmaSaveLeavesFileByteIdentical) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  zovedu_test::ScratchDir dir;
  ExpectFullDiskLeavesFile(ReadAll(MakeWma(dir.path(), "a.wma", {"title=T"})), "a.wma", [](const std::string& f) {
    tags::TTagsData r;
    if (!tags::ReadWmaTags(f, r)) return true;
    r.Title.set("New title");
    r.Lyrics = std::string(100000, 'l');
    return tags::WriteWmaTags(r);
  });
}

TEST(TaglibFullDisk, Mp4SaveLeavesFileByteIdentical) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  zovedu_test::ScratchDir dir;
  ExpectFullDiskLeavesFile(ReadAll(MakeM4a(dir.path(), "a.m4a", {"title=T"})), "a.m4a", [](const std::string& f) {
    if (!tags::OpenMp4(f.c_str())) return true;
    std::array<std::uint8_t, tags::kMp4RecordSize> r{};
    tags::GetFileTags(r.data());
    std::memset(r.data() + tags::kMp4TitleOffset, 0, tags::kMp4TextSize);
    std::memcpy(r.data() + tags::kMp4TitleOffset, "New title", 9);
    tags::SetFileTags(r.data());
    const bool ok = tags::ChangeTags() != 0;
    tags::CloseMp4();
    return ok;
  });
}

}  // namespace
