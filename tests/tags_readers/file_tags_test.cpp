// The readers load the tags around the audio into their members and leave
// those tags out of the audio they measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "reader_files.h"
#include "support/scratch_dir.h"
#include "tags/aac_file.h"
#include "tags/monkey.h"
#include "tags/mpeg_audio.h"
#include "tags/mpeg_plus.h"
#include "tags/toolkit/byte_order.h"

namespace {

using namespace readers_test;

struct TaggedCase {
  const char* name;
  fs::path Files::*file;
  Kind kind;
};

void PrintTo(const TaggedCase& c, std::ostream* os) { *os << c.name; }

class TaggedFile : public testing::TestWithParam<TaggedCase> {};

template <class Reader>
void ExpectTagsAndSameStream(const fs::path& untagged, const fs::path& tagged) {
  Reader plain, withTags;
  ASSERT_TRUE(plain.ReadFromFile(untagged.string()));
  ASSERT_TRUE(withTags.ReadFromFile(tagged.string()));
  EXPECT_TRUE(withTags.ID3v2.Exists);
  EXPECT_GT(withTags.ID3v2.Size, 10u);
  EXPECT_EQ(withTags.ID3v2.Title, "Title");
  EXPECT_EQ(withTags.ID3v2.Artist, "Artist");
  EXPECT_TRUE(withTags.ID3v1.Exists);
  EXPECT_EQ(withTags.ID3v1.Title(), "Title");
  EXPECT_EQ(withTags.ID3v1.Artist(), "Artist");
  EXPECT_FALSE(withTags.APEtag.Exists);
  EXPECT_EQ(withTags.Channels(), plain.Channels());
  EXPECT_EQ(withTags.SampleRate(), plain.SampleRate());
  EXPECT_DOUBLE_EQ(withTags.Duration(), plain.Duration());
  EXPECT_EQ(withTags.BitRate(), plain.BitRate());
}

// `id3v2 -t Title -a Artist` puts an ID3v2 tag in front and an ID3v1 tag at
// the end; the stream behind the ID3v2 tag is found and measured as before.
TEST_P(TaggedFile, Id3v2AndId3v1AreLoadedAndTheStreamIsUnchanged) {
  const TaggedCase& c = GetParam();
  zovedu_test::ScratchDir dir;
  const fs::path untagged = MadeFiles().*c.file;
  const fs::path tagged = dir / ("tagged" + untagged.extension().string());
  fs::copy_file(untagged, tagged);
  Tool("id3v2", {"-t", "Title", "-a", "Artist", tagged.string()});
  switch (c.kind) {
    case Kind::Mpeg: ExpectTagsAndSameStream<tags::TMPEGaudio>(untagged, tagged); break;
    case Kind::Monkey: ExpectTagsAndSameStream<tags::TMonkey>(untagged, tagged); break;
    case Kind::Aac: ExpectTagsAndSameStream<tags::TAACfile>(untagged, tagged); break;
    case Kind::Mpc: ExpectTagsAndSameStream<tags::TMPEGplus>(untagged, tagged); break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Readers, TaggedFile,
    testing::Values(TaggedCase{"mp3_info_header", &Files::mp3Cbr, Kind::Mpeg},
                    TaggedCase{"mp3_measured_by_size", &Files::mp3Plain, Kind::Mpeg},
                    TaggedCase{"ape", &Files::apeStereo, Kind::Monkey},
                    TaggedCase{"adts", &Files::aacStereo, Kind::Aac},
                    TaggedCase{"mpc", &Files::mpc, Kind::Mpc}),
    [](const testing::TestParamInfo<TaggedCase>& i) { return std::string(i.param.name); });

// APE tag version 2000 with header and footer.
Bytes ApeTag(const std::string& title, const std::string& comment) {
  Bytes items;
  std::uint32_t count = 0;
  for (const auto& [key, value] : {std::pair{std::string("Title"), title}, {"Comment", comment}}) {
    tags::AppendLE32(items, std::uint32_t(value.size()));
    tags::AppendLE32(items, 0);
    tags::AppendText(items, key);
    items.push_back(0);
    tags::AppendText(items, value);
    ++count;
  }
  auto frame = [&](std::uint32_t flags) {
    Bytes b;
    tags::AppendText(b, "APETAGEX");
    tags::AppendLE32(b, 2000);
    tags::AppendLE32(b, std::uint32_t(items.size() + 32));
    tags::AppendLE32(b, count);
    tags::AppendLE32(b, flags);
    b.resize(32, 0);
    return b;
  };
  Bytes tag = frame(0xA0000000u);
  tag.insert(tag.end(), items.begin(), items.end());
  const Bytes footer = frame(0x80000000u);
  tag.insert(tag.end(), footer.begin(), footer.end());
  return tag;
}

Bytes Lyrics3Block(const std::string& lyrics) {
  Bytes b;
  tags::AppendText(b, "LYRICSBEGIN");
  tags::AppendText(b, "IND00002");
  tags::AppendText(b, "10");
  char size[6];
  std::snprintf(size, sizeof size, "%05zu", lyrics.size());
  tags::AppendText(b, std::string("LYR") + size + lyrics);
  char total[7];
  std::snprintf(total, sizeof total, "%06zu", b.size());
  tags::AppendText(b, std::string(total) + "LYRICS200");
  return b;
}

Bytes Id3v1Tag(const std::string& title) {
  Bytes b(128, 0);
  std::copy_n("TAG", 3, b.begin());
  std::copy(title.begin(), title.end(), b.begin() + 3);
  b[127] = 12;
  return b;
}

// Large end tags would add seconds to a duration taken from the file size.
TEST(ReaderEndTags, ApeLyricsAndId3v1AreNotAudio) {
  zovedu_test::ScratchDir dir;
  for (const bool apeFirst : {true, false}) {
    SCOPED_TRACE(apeFirst ? "APE, Lyrics3, ID3v1" : "Lyrics3, APE, ID3v1");
    const Bytes ape = ApeTag("Ape title", std::string(70000, 'c'));
    const Bytes lyrics = Lyrics3Block(std::string(5000, 'l'));
    Bytes file = ReadAll(MadeFiles().mp3Plain);
    const Bytes& first = apeFirst ? ape : lyrics;
    const Bytes& second = apeFirst ? lyrics : ape;
    file.insert(file.end(), first.begin(), first.end());
    file.insert(file.end(), second.begin(), second.end());
    const Bytes v1 = Id3v1Tag("V1 title");
    file.insert(file.end(), v1.begin(), v1.end());
    WriteAll(dir / "tagged.mp3", file);

    tags::TMPEGaudio plain, tagged;
    ASSERT_TRUE(plain.ReadFromFile(MadeFiles().mp3Plain.string()));
    ASSERT_TRUE(tagged.ReadFromFile((dir / "tagged.mp3").string()));
    EXPECT_DOUBLE_EQ(tagged.Duration(), plain.Duration());
    EXPECT_EQ(tagged.AudioSize(), plain.AudioSize());
    EXPECT_TRUE(tagged.APEtag.Exists);
    EXPECT_EQ(tagged.APEtag.Title, "Ape title");
    EXPECT_EQ(tagged.ID3v1.Title(), "V1 title");
    EXPECT_TRUE(tagged.ID3v1.LyricsExists);
  }
}

TEST(ReaderEndTags, ApeTagOfAMonkeyFileIsLoadedAndNotCountedAsAudio) {
  zovedu_test::ScratchDir dir;
  Bytes file = ReadAll(MadeFiles().apeStereo);
  const Bytes ape = ApeTag("Monkey title", std::string(200000, 'c'));
  file.insert(file.end(), ape.begin(), ape.end());
  WriteAll(dir / "tagged.ape", file);
  tags::TMonkey plain, tagged;
  ASSERT_TRUE(plain.ReadFromFile(MadeFiles().apeStereo.string()));
  ASSERT_TRUE(tagged.ReadFromFile((dir / "tagged.ape").string()));
  EXPECT_EQ(tagged.APEtag.Title, "Monkey title");
  EXPECT_FALSE(tagged.ID3v1.Exists);
  EXPECT_EQ(tagged.BitRate(), plain.BitRate());
}

}  // namespace
