// On a full disk a save that needs more room fails and leaves the file
// byte-identical, without a "~" file.
#include "support/full_disk.h"

#include <gtest/gtest.h>

#include "end_test_files.h"
#include "tags/ape_tag.h"
#include "tags/id3v1.h"

namespace {

using namespace end_test;

TEST(FullDisk, GrowingEndTagsLeaveFilesByteIdentical) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  const Bytes withApe = Concat({Audio(20000), ApeBytes({{"Title", "t"}}), Id3v1Bytes("x")});
  const Bytes withLyrics = Concat({Audio(20000), Lyrics3Bytes("IND0000200AUT00001a"), Id3v1Bytes("x")});
  const int result = zovedu_test::RunOnFullDisk(
      [&](const fs::path& d) {
        WriteAll(d / "ape.mp3", withApe);
        WriteAll(d / "lyrics.mp3", withLyrics);
      },
      [&](const fs::path& d) {
        const std::string apeFile = (d / "ape.mp3").string(), lyricsFile = (d / "lyrics.mp3").string();
        tags::TAPEtag ape;
        if (!ape.LoadTags(apeFile)) return 2;
        ape.SetComment(std::string(200000, 'c'));
        if (ape.SaveTags(apeFile)) return 3;

        tags::TID3v1 v1;
        if (!v1.LoadTags(lyricsFile, true)) return 4;
        v1.Lyrics = std::string(99999, 'l');
        if (v1.SaveTags(lyricsFile)) return 5;
        if (v1.WriteTag(lyricsFile, true)) return 6;

        const bool same = ReadAll(apeFile) == withApe && ReadAll(lyricsFile) == withLyrics;
        const bool noTemp = !fs::exists(apeFile + "~") && !fs::exists(lyricsFile + "~");
        return same && noTemp ? 0 : 1;
      });
  EXPECT_EQ(result, 0);
}

}  // namespace
