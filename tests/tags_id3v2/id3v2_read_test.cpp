#include <gtest/gtest.h>

#include "tags/id3v2.h"
#include "tags_id3v2/tag_bytes.h"

namespace {

using namespace id3test;
using tags::TID3v2;

TID3v2 Load(const Bytes& file) {
  TID3v2 t;
  EXPECT_TRUE(t.LoadTags(tags::MemorySource(file)));
  return t;
}

const Bytes kArtist23 = Frame23("TPE1", Text(0, "Next"));

struct ReadCase {
  const char* name;
  Bytes file;
  std::string title;
  std::string artist = "Next";  // the frame after the title, found only when the title was sized right
};

TEST(Id3v2Read, VersionsEncodingsAndLayouts) {
  const Bytes aFFb = Text(0, "a\xFF" "b");  // ÿ needs unsynchronisation
  Bytes frame24Unsync = Frame24("TIT2", Cat({{0, 0, 0, 4}, Unsync(aFFb)}), 0x0003);  // unsync + length
  const Bytes extended23 = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
  const Bytes extended24 = {0, 0, 0, 6, 1, 0};
  const std::string longText(3000, 'x');
  const ReadCase cases[] = {
      {"2.2 ISO-8859-1", Tag(2, Cat({Frame22("TT2", Text(0, "Caf\xE9")), Frame22("TP1", Text(0, "Next"))})),
       "Caf\xC3\xA9"},
      {"2.3 UTF-16 LE BOM", Tag(3, Cat({Frame23("TIT2", Cat({{1}, Utf16LE(u"\u03A9mega")})), kArtist23})),
       "\xCE\xA9mega"},
      {"2.3 UTF-16 BE BOM", Tag(3, Cat({Frame23("TIT2", Cat({{1}, Utf16BE(u"\u03A9mega"), {0, 0}})), kArtist23})),
       "\xCE\xA9mega"},
      {"2.4 UTF-16BE", Tag(4, Cat({Frame24("TIT2", Cat({{2}, Utf16BE(u"\u20AC1", false)})),
                                   Frame24("TPE1", Text(3, "Next"))})),
       "\xE2\x82\xAC" "1"},
      {"2.4 UTF-8", Tag(4, Cat({Frame24("TIT2", Text(3, "\xE2\x82\xAC" "1")), Frame24("TPE1", Text(3, "Next"))})),
       "\xE2\x82\xAC" "1"},
      {"2.4 syncsafe frame size", Tag(4, Cat({Frame24("TIT2", Text(0, longText)), Frame24("TPE1", Text(0, "Next"))})),
       longText},
      {"2.3 plain size above 127", Tag(3, Cat({Frame23("TIT2", Text(0, longText)), kArtist23})), longText},
      {"2.3 whole tag unsynchronised", Tag(3, Unsync(Cat({Frame23("TIT2", aFFb), kArtist23})), 0x80),
       "a\xC3\xBF" "b"},
      {"2.2 whole tag unsynchronised",
       Tag(2, Unsync(Cat({Frame22("TT2", aFFb), Frame22("TP1", Text(0, "Next"))})), 0x80), "a\xC3\xBF" "b"},
      {"2.4 frame unsynchronised with data length",
       Tag(4, Cat({frame24Unsync, Frame24("TPE1", Text(3, "Next"))})), "a\xC3\xBF" "b"},
      {"2.3 extended header", Tag(3, Cat({extended23, Frame23("TIT2", Text(0, "T")), kArtist23}), 0x40), "T"},
      {"2.4 extended header", Tag(4, Cat({extended24, Frame24("TIT2", Text(0, "T")), Frame24("TPE1", Text(0, "Next"))}), 0x40),
       "T"},
      {"texts trimmed, first of several values",
       Tag(4, Cat({Frame24("TIT2", Text(3, std::string("  A \0B", 6))), Frame24("TPE1", Text(3, "Next"))})), "A"},
      {"zero-size frame skipped", Tag(3, Cat({Frame23("TXXX", {}), Frame23("TIT2", Text(0, "T")), kArtist23})), "T"},
      {"later duplicate ignored", Tag(3, Cat({Frame23("TIT2", Text(0, "T")), Frame23("TIT2", Text(0, "U")), kArtist23})),
       "T"},
      {"fallbacks TIT1 for the title", Tag(3, Cat({Frame23("TIT1", Text(0, "Group")), kArtist23})), "Group"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 t = Load(Cat({c.file, Audio(64)}));
    EXPECT_TRUE(t.Exists);
    EXPECT_EQ(t.Size, c.file.size());
    EXPECT_EQ(t.Title, c.title);
    EXPECT_EQ(t.Artist, c.artist);
  }
}

TEST(Id3v2Read, FooterCountsInSize) {
  Bytes tag = Tag(4, Frame24("TIT2", Text(0, "T")), 0x10);
  Bytes footer = tag;
  footer.resize(10);
  footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
  const TID3v2 t = Load(Cat({tag, footer, Audio(10)}));
  EXPECT_EQ(t.Size, tag.size() + 10);
  EXPECT_EQ(t.Title, "T");
}

TEST(Id3v2Read, FieldsFromTheirFrames) {
  const Bytes tag = Tag(3, Cat({
      Frame23("TRCK", Text(0, "5/12")), Frame23("TYER", Text(0, "1999")),
      Frame23("COMM", Cat({Text(0, "engiTunNORM"), {0}, B("not this")})),
      Frame23("COMM", Cat({Text(1, "deu"), Utf16LE(u""), {0, 0}, Utf16LE(u"Sch\u00F6n")})),
      Frame23("COMM", Cat({Text(0, "eng"), {0}, B("second")})),
      Frame23("WXXX", Cat({Text(0, "shop"), {0}, B("http://shop")})),
      Frame23("WXXX", Cat({Text(1, ""), {0xFF, 0xFE, 0, 0}, B("http://x.org/a")})),
      Frame23("TCOM", Text(0, "Comp")), Frame23("TENC", Text(0, "Enc")), Frame23("TCOP", Text(0, "(C)")),
      Frame23("TLAN", Text(0, "eng")), Frame23("TOPE", Text(0, "Orig")), Frame23("TSIZ", Text(0, "1234")),
      Frame23("TOAL", Text(0, "OrigAlbum")), Frame23("TDRC", Text(0, "2001-02-03"))}));
  const TID3v2 t = Load(tag);
  EXPECT_EQ(t.Track, 5);
  EXPECT_EQ(t.TrackString, "5/12");
  EXPECT_EQ(t.Year, "1999");
  EXPECT_EQ(t.Comment, "Sch\xC3\xB6n");  // the first comment without description
  EXPECT_EQ(t.Link, "http://x.org/a");
  EXPECT_EQ(t.Composer, "Comp");
  EXPECT_EQ(t.Encoder, "Enc");
  EXPECT_EQ(t.Copyright, "(C)");
  EXPECT_EQ(t.Language, "eng");
  EXPECT_EQ(t.OrigArtist, "Orig");
  EXPECT_EQ(t.AudioSize, "1234");
  EXPECT_EQ(t.Album, "OrigAlbum");
  // Frames without a field of their own stay for the next save.
  std::vector<std::string> ids;
  for (const auto& f : t.OtherFrames) ids.push_back(f.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"COMM", "COMM", "WXXX", "TOPE", "TSIZ", "TOAL", "TDRC"}));
}

TEST(Id3v2Read, YearFromRecordingTimeWhenNoTyer) {
  EXPECT_EQ(Load(Tag(4, Frame24("TDRC", Text(3, "2004-05")))).Year, "2004");
  EXPECT_EQ(Load(Tag(2, Frame22("TOR", Text(0, "1977")))).Year, "1977");
  // Cut to 4 characters, then trimmed, so the TYER written reads the same.
  const TID3v2 cut = Load(Tag(4, Frame24("TDRC", Text(3, "eng\x01zz"))));
  EXPECT_EQ(cut.Year, "eng");
  EXPECT_EQ(Load(cut.Render(0)).Year, "eng");
}

TEST(Id3v2Read, LinkFromADescribedFrameWhenNoPlainOne) {
  const TID3v2 t = Load(Tag(3, Frame23("WXXX", Cat({Text(0, "shop"), {0}, B("http://shop")}))));
  EXPECT_EQ(t.Link, "http://shop");
  EXPECT_TRUE(t.OtherFrames.empty());
}

// The link and the frames kept beside it read the same after a save.
TEST(Id3v2Read, LinkChoiceSurvivesASave) {
  const Bytes plainEmpty = Frame23("WXXX", {0, 0});
  const Bytes plainX = Frame23("WXXX", Cat({{0, 0}, B("http://x")}));
  const Bytes shop = Frame23("WXXX", Cat({Text(0, "shop"), {0}, B("http://shop")}));
  const Bytes shopEmpty = Frame23("WXXX", Cat({Text(0, "shop"), {0}}));
  struct Case {
    const char* name;
    Bytes body;
    std::string link;
    std::size_t otherFrames;
  } cases[] = {
      {"plain empty link, then a described one", Cat({plainEmpty, shop}), "http://shop", 0},
      {"plain empty link, then a plain one", Cat({plainEmpty, plainX}), "http://x", 0},
      {"plain link before a described one", Cat({shop, plainX}), "http://x", 1},
      {"described empty link, then a described one", Cat({shopEmpty, shop}), "http://shop", 1},
      {"only an empty link", plainEmpty, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 t = Load(Tag(3, c.body));
    EXPECT_EQ(t.Link, c.link);
    EXPECT_EQ(t.OtherFrames.size(), c.otherFrames);
    const TID3v2 again = Load(t.Render(0));
    EXPECT_EQ(again.Link, c.link);
    ASSERT_EQ(again.OtherFrames.size(), t.OtherFrames.size());
    for (std::size_t i = 0; i < t.OtherFrames.size(); ++i)
      EXPECT_EQ(again.OtherFrames[i].content, t.OtherFrames[i].content);
  }
}

TEST(Id3v2Read, GenreForms) {
  const std::pair<const char*, const char*> cases[] = {
      {"(17)", "Rock"}, {"17", "Rock"}, {"(17)Rock", "Rock"}, {"(17)Hard Rock", "Hard Rock"},
      {"(9)(138)", "Metal"}, {"Synthwave", "Synthwave"}, {"(300)", "(300)"}, {"2017 Hits", "2017 Hits"},
      {" 0 ", "Blues"}, {"(RX)", "Remix"}, {"((Parens)", "((Parens)"},
      // Text after the references reads like a plain TCON.
      {"(T1XX)7", "Hip-Hop"}, {"(17)300", "300"}, {"(T1XX)", "(T1XX)"}};
  for (const auto& [stored, read] : cases) {
    SCOPED_TRACE(stored);
    const TID3v2 t = Load(Tag(3, Frame23("TCON", Text(0, stored))));
    EXPECT_EQ(t.Genre, read);
    EXPECT_EQ(Load(t.Render(0)).Genre, read);  // the genre saved reads the same
  }
}

TEST(Id3v2Read, HostileSizesStayInsideTheTag) {
  const Bytes title = Frame23("TIT2", Text(0, "T"));
  Bytes pastTag = Frame23("TPE1", Text(0, "Next"));
  pastTag[7] = 200;  // size runs past the tag
  Bytes huge24 = Frame24("TPE1", Text(0, "Next"));
  huge24[4] = huge24[5] = huge24[6] = huge24[7] = 0x7F;
  Bytes claimsMore = Tag(3, title);
  claimsMore[6] = 0x7F;  // 256 MB claimed, far more than the file
  struct Case {
    const char* name;
    Bytes file;
    std::uint32_t size;  // expected Size; 0 when it is the whole tag built
    std::string title;
    std::size_t otherFrames = 0;
  } cases[] = {
      {"frame size past the tag", Tag(3, Cat({title, pastTag})), 0, "T"},
      {"syncsafe size past the tag", Tag(4, Cat({Frame24("TIT2", Text(0, "T")), huge24})), 0, "T"},
      {"garbage id ends the frames", Tag(3, Cat({title, B("Ab\x01" "C"), {0, 0, 0, 1, 0, 0, 0}, kArtist23})), 0, "T"},
      {"lower-case id ends the frames", Tag(3, Cat({title, Frame23("tpe1", Text(0, "x"))})), 0, "T"},
      {"padding ends the frames", Tag(3, title, 0, 100), 0, "T"},
      {"extended header larger than the tag", Tag(3, Cat({{0, 0, 0x10, 0}, title}), 0x40), 0, ""},
      {"data length missing its bytes", Tag(4, Cat({Frame24("TXXX", {0, 1}, 0x0001), Frame24("TIT2", Text(0, "T"))})),
       0, "T"},
      {"compressed 2.4 frame without data length", Tag(4, Frame24("APIC", {1, 2, 3}, 0x0008)), 0, ""},
      {"text frame with unknown encoding", Tag(3, Frame23("TIT2", Text(9, "T"))), 0, ""},
      {"encoding byte only", Tag(3, Cat({Frame23("TIT2", {1}), Frame23("COMM", {0})})), 0, "", 1},
      {"odd-length UTF-16", Tag(3, Frame23("TIT2", Cat({{1}, Utf16LE(u"T"), {'x'}}))), 0, "T"},
      {"2.2 frame without 2.3 counterpart dropped", Tag(2, Cat({Frame22("XYZ", {1, 2}), Frame22("TT2", Text(0, "T"))})),
       0, "T"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 t = Load(c.file);
    EXPECT_EQ(t.Size, c.size ? c.size : c.file.size());
    EXPECT_EQ(t.Title, c.title);
    EXPECT_EQ(t.OtherFrames.size(), c.otherFrames);
  }
  const TID3v2 t = Load(claimsMore);
  EXPECT_TRUE(t.Exists);
  EXPECT_EQ(t.Size, 0u);
  EXPECT_EQ(t.Title, "");
}

// Every cut and every single changed byte of a tag with all kinds of frames
// must read without over-reading or looping; the bounds checks do the rest.
TEST(Id3v2Read, SurvivesEveryTruncationAndByteChange) {
  const Bytes frames = Cat({Frame24("TIT2", Text(3, "Title")), Frame24("TXXX", Cat({Text(3, "k"), {0}, B("v")}), 0x4003),
                            Frame24("APIC", Cat({Text(3, "image/png"), {0, 3, 'd', 0, 0xFF, 0xD8}})),
                            Frame24("COMM", Cat({Text(1, "eng"), Utf16LE(u""), {0, 0}, Utf16LE(u"c")}))});
  const Bytes body = Cat({{0, 0, 0, 6, 1, 0}, frames});
  const Bytes tag = Tag(4, body, 0x40);
  for (std::size_t n = 0; n <= tag.size(); ++n) Load(Bytes(tag.begin(), tag.begin() + std::ptrdiff_t(n)));
  for (std::size_t n = 0; n <= body.size(); ++n) Load(Tag(4, Bytes(body.begin(), body.begin() + std::ptrdiff_t(n)), 0x40));
  for (std::uint8_t version : {2, 3, 4}) {
    Bytes t = tag;
    t[3] = version;
    for (std::size_t i = 3; i < t.size(); ++i)
      for (std::uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
        Bytes m = t;
        m[i] = v;
        Load(m);
      }
  }
}

}  // namespace
