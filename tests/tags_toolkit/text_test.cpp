#include "tags/toolkit/text.h"

#include <gtest/gtest.h>

namespace {

TEST(TagText, Latin1AndUtf8) {
  EXPECT_EQ(tags::Latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(tags::Utf8ToLatin1("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 ?");
  EXPECT_TRUE(tags::FitsLatin1("caf\xC3\xA9"));
  EXPECT_FALSE(tags::FitsLatin1("\xE2\x82\xAC"));
  EXPECT_EQ(tags::AsUtf8("caf\xE9"), "caf\xC3\xA9");       // not UTF-8: read as Latin-1
  EXPECT_EQ(tags::AsUtf8("caf\xC3\xA9"), "caf\xC3\xA9");   // valid: kept
  EXPECT_FALSE(tags::IsValidUtf8("\xC0\x80"));              // overlong
  EXPECT_FALSE(tags::IsValidUtf8("\xED\xA0\x80"));          // surrogate
}

TEST(TagText, Utf16EitherOrderAndSurrogates) {
  const std::uint8_t le[] = {0xFF, 0xFE, 'A', 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0, 'x', 0};
  const std::uint8_t be[] = {0xFE, 0xFF, 0, 'A', 0xD8, 0x3D, 0xDE, 0x00};
  const std::string expected = "A\xF0\x9F\x98\x80";  // U+1F600
  EXPECT_EQ(tags::Utf16ToUtf8(le, sizeof le, true), expected);  // the BOM wins, text ends at 0
  EXPECT_EQ(tags::Utf16ToUtf8(be, sizeof be, false), expected);
  const std::uint8_t lone[] = {0x00, 0xD8, 'B', 0, 'C'};  // unpaired surrogate, odd byte
  EXPECT_EQ(tags::Utf16ToUtf8(lone, sizeof lone, false), "\xEF\xBF\xBD" "B");
  const tags::Bytes back = tags::Utf8ToUtf16LE(expected);
  EXPECT_EQ(tags::Utf16ToUtf8(back.data(), back.size(), false), expected);
}

TEST(TagText, CutsOnCharacterBoundaries) {
  const std::string s = "a\xC3\xA9\xE2\x82\xAC" "b";  // a é € b
  EXPECT_EQ(tags::Utf8Length(s), 4u);
  EXPECT_EQ(tags::Utf8Left(s, 2), "a\xC3\xA9");
  EXPECT_EQ(tags::Utf8CutBytes(s, 5), "a\xC3\xA9");
  EXPECT_EQ(tags::Utf8CutBytes(s, 6), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(tags::Trim(std::string(" \0x\t ", 5)), "x");
  EXPECT_EQ(tags::LeadingNumber("5/12"), 5u);
  EXPECT_EQ(tags::LeadingNumber("x5", 7), 7u);
  EXPECT_EQ(tags::LeadingNumber("99999999999", 0), 0u);
}

}  // namespace
