// End tags saved into a real MP3 from lame: what mutagen reads back, and the
// audio ffmpeg copies out unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include "end_test_files.h"
#include "support/scratch_dir.h"
#include "tags/ape_tag.h"
#include "tags/id3v1.h"

namespace {

using namespace end_test;

const char* kReadTags = R"(
import sys, mutagen.apev2, mutagen.id3
f = sys.argv[1]
ape = mutagen.apev2.APEv2(f)
for k in sorted(ape.keys()):
    print('ape', k, str(ape[k]) if ape[k].kind == mutagen.apev2.TEXT else 'binary')
v1 = mutagen.id3.ID3(f)
for k in ('TIT2', 'TPE1', 'TALB', 'TDRC', 'TRCK', 'TCON'):
    print('v1', k, v1[k].text[0] if k in v1 else '')
c = v1.getall('COMM')
print('v1 COMM', c[0].text[0] if c else '')
)";

TEST(RealMp3, SavedTagsReadBackByMutagenAndAudioUnchanged) {
  zovedu_test::ScratchDir dir;
  const fs::path mp3 = MakeMp3(dir.path(), "a.mp3");
  const Bytes made = ReadAll(mp3);
  const std::string md5 = AudioMd5(mp3), decoded = DecodedMd5(mp3);
  const std::vector<std::string> packets = AudioPackets(mp3);
  ASSERT_FALSE(md5.empty());
  ASSERT_FALSE(packets.empty());
  const std::string path = mp3.string();

  tags::TID3v1 v1;
  v1.SetTitle("Caf\xC3\xA9 song");
  v1.SetArtist("Band");
  v1.SetAlbum("Record");
  v1.SetYear("2024");
  v1.SetComment(std::string(40, 'c'));
  v1.Track = 4;
  v1.SetGenre("rock");
  ASSERT_TRUE(v1.SaveTags(path));

  tags::TAPEtag ape;
  ape.SetTitle("Caf\xC3\xA9 song");
  ape.SetArtist("\xD0\x91\xD0\xB0\xD0\xBD\xD0\xB4");  // Cyrillic
  ape.SetTrack(4);
  ape.SetComment(std::string(300, 'x'));
  ASSERT_TRUE(ape.SaveTags(path));  // the Lyrics3 block goes, the ID3v1 tag stays

  const std::string out = Python(kReadTags, mp3);
  EXPECT_NE(out.find("ape Title Caf\xC3\xA9 song\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ape Artist \xD0\x91\xD0\xB0\xD0\xBD\xD0\xB4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ape Track 4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ape Comment " + std::string(300, 'x') + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("v1 TIT2 Caf\xC3\xA9 song\n"), std::string::npos) << out;
  EXPECT_NE(out.find("v1 TPE1 Band\n"), std::string::npos) << out;
  EXPECT_NE(out.find("v1 TDRC 2024\n"), std::string::npos) << out;
  EXPECT_NE(out.find("v1 TRCK 4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("v1 TCON Rock\n"), std::string::npos) << out;
  EXPECT_NE(out.find("v1 COMM " + std::string(28, 'c') + "\n"), std::string::npos) << out;
  // Every audio packet is still there byte for byte; the APE tag may follow
  // as one packet the decoder skips.
  const std::vector<std::string> after = AudioPackets(mp3);
  ASSERT_GE(after.size(), packets.size());
  EXPECT_LE(after.size(), packets.size() + 1);
  EXPECT_TRUE(std::equal(packets.begin(), packets.end(), after.begin()));
  EXPECT_EQ(DecodedMd5(mp3), decoded);

  // With only the ID3v1 tag left ffmpeg copies exactly the old packets, and
  // without it the file is the one lame made.
  ASSERT_TRUE(ape.StripTags(path));
  EXPECT_EQ(AudioMd5(mp3), md5);
  ASSERT_TRUE(v1.StripTags(path, false));
  EXPECT_EQ(ReadAll(mp3), made);
}

}  // namespace
