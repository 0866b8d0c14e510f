// End tags saved into a real MP3 from lame: what mutagen reads back, and the
// audio ffmpeg copies out unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include "end_test_files.h"
#include "support/scratch_dir.h"
#include "tags/ape_tag.h"
#include "tags/id3v1.h"

#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

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
  ASSERT_TRUE(ape.SaveTags(path));  // after the Lyrics3 block, in front of the ID3v1 tag

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
  ASSERT_TRUE(v1.StripTags(path, true));
  EXPECT_EQ(AudioMd5(mp3), md5);
  ASSERT_TRUE(v1.StripTags(path, false));
  EXPECT_EQ(ReadAll(mp3), made);
}

// What a loudness tool leaves (an APE tag at the end) survives an ID3v1 save
// with long texts, and every reader still finds its part: TagLib and mutagen
// the APE tag and the ID3v1 tag, ffprobe the ID3v1 tag, we the whole text in
// the Lyrics3 block.
TEST(RealMp3, Id3v1SaveKeepsALoudnessApeTagAndTheLongTexts) {
  zovedu_test::ScratchDir dir;
  const fs::path mp3 = MakeMp3(dir.path(), "gain.mp3");
  const std::string path = mp3.string();
  WriteAll(mp3, Concat({ReadAll(mp3), ApeBytes({{"MP3GAIN_MINMAX", "118,210"},
                                                {"REPLAYGAIN_TRACK_GAIN", "-6.43 dB"}}, 2000, true)}));
  const std::string comment = "Recorded from the morning show, second hour";
  tags::TID3v1 v1;
  ASSERT_TRUE(v1.LoadTags(path, true));
  v1.SetTitle("Morning");
  v1.SetComment(comment);
  v1.Author = "Made by Zovedu";
  ASSERT_TRUE(v1.SaveTags(path));

  tags::TID3v1 back;
  ASSERT_TRUE(back.LoadTags(path, true));
  EXPECT_EQ(back.Comment(), comment);
  EXPECT_EQ(back.Author, "Made by Zovedu");
  tags::TAPEtag ape;
  ASSERT_TRUE(ape.LoadTags(path));
  EXPECT_TRUE(ape.Exists);

  const std::string mutagen = Python(R"(
import sys, mutagen.apev2, mutagen.id3
ape = mutagen.apev2.APEv2(sys.argv[1])
print('gain', ape['REPLAYGAIN_TRACK_GAIN'])
print('title', mutagen.id3.ID3(sys.argv[1])['TIT2'].text[0])
)",
                                     mp3);
  EXPECT_NE(mutagen.find("gain -6.43 dB\n"), std::string::npos) << mutagen;
  EXPECT_NE(mutagen.find("title Morning\n"), std::string::npos) << mutagen;

  TagLib::MPEG::File file(path.c_str());
  ASSERT_TRUE(file.isValid());
  ASSERT_NE(file.APETag(), nullptr);
  EXPECT_EQ(file.APETag()->itemListMap()["REPLAYGAIN_TRACK_GAIN"].toString().to8Bit(true), "-6.43 dB");
  ASSERT_NE(file.ID3v1Tag(), nullptr);
  EXPECT_EQ(file.ID3v1Tag()->title().to8Bit(true), "Morning");

  EXPECT_EQ(FfprobeTag(mp3, "title"), "Morning");
}

}  // namespace
