// The widget-free rules: page mapping, digit edits, ABR clamp, split limits
// and label texts.
#include <gtest/gtest.h>

#include "dialogs/option_rules.h"

TEST(OptionRules, NodesMapToPagesAndBack) {
  const int pages[OptionNodeCount] = {0, 1, 2, 3, -1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  for (int node = 0; node < OptionNodeCount; ++node) {
    EXPECT_EQ(PageOfNode(node), pages[node]) << node;
    if (pages[node] >= 0) {
      EXPECT_EQ(NodeOfPage(pages[node]), node);
    }
  }
  EXPECT_EQ(PageOfNode(16), -1);
  EXPECT_EQ(NodeOfPage(15), -1);
  EXPECT_EQ(NodeOfPage(-1), -1);
}

TEST(OptionRules, FormatSettingsPageForEveryFormat) {
  const int expected[] = {-1, 8, 9, 10, 11, 11, -2, 11, 12, 13, 14};
  for (int format = 0; format <= 10; ++format)
    EXPECT_EQ(FormatSettingsPage(format), expected[format]) << format;
  EXPECT_EQ(FormatSettingsPage(11), -1);
  EXPECT_EQ(FormatSettingsPage(-1), -1);
}

TEST(OptionRules, DigitEditsAcceptDigitsAndBackspaceOnly) {
  for (QChar c : QStringLiteral("0123456789\b")) EXPECT_TRUE(IsDigitEditChar(c)) << int(c.unicode());
  for (QChar c : QStringLiteral("aZ -+.,/:\x16")) EXPECT_FALSE(IsDigitEditChar(c)) << int(c.unicode());
}

TEST(OptionRules, AbrClampKeepsTheFieldBetween4And310) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"500", "310"}, {"311", "310"}, {"310", "310"}, {"128", "128"}, {"4", "4"},
               {"3", "4"},     {"2", "4"},     {"0", "4"},     {"", "4"},       {"99999999999999999999999", "310"}};
  for (const auto& c : cases)
    EXPECT_EQ(ClampAbrText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(OptionRules, SplitModeAndLimit) {
  using S = SplitChoice;
  const struct {
    bool createNew, stop;
    S choice;
    int mode;
    qint64 limit;
  } cases[] = {
      {true, false, S::Min74, 0, 4440},
      {false, true, S::Min80, 0, 4800},
      {true, false, S::CustomLength, 0, 90},
      {true, false, S::Mb650, 1, 681574400},
      {false, true, S::Mb700, 1, 734003200},
      {true, false, S::CustomSize, 1, 3000LL * 1048576},  // beyond 32 bits, no overflow
      {false, false, S::Min74, -1, 4440},
      {true, false, S::None, -1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitModeFor(c.createNew, c.stop, c.choice), c.mode) << int(c.choice);
    EXPECT_EQ(SplitLimitFor(c.choice, QStringLiteral("90"), QStringLiteral("3000")), c.limit)
        << int(c.choice);
  }
}

TEST(OptionRules, EmptyOrZeroCustomSplitValuesAreNoLimit) {
  for (const char* text : {"", "0", "000", "x"}) {
    EXPECT_EQ(SplitLimitFor(SplitChoice::CustomLength, QString::fromLatin1(text), {}), 0) << text;
    EXPECT_EQ(SplitLimitFor(SplitChoice::CustomSize, {}, QString::fromLatin1(text)), 0) << text;
  }
  EXPECT_EQ(SplitLimitFor(SplitChoice::CustomLength, QStringLiteral("1"), {}), 1);
  // The largest field fits 64 bits.
  EXPECT_EQ(SplitLimitFor(SplitChoice::CustomSize, {}, QStringLiteral("999999999")),
            999999999LL * 1048576);
}

TEST(OptionRules, LabelTexts) {
  EXPECT_EQ(ValueLabelText(QStringLiteral("Attack:"), 1, 100, QStringLiteral(" ms")), "Attack:0.01 ms");
  EXPECT_EQ(ValueLabelText(QStringLiteral("Value:"), 275, 100, {}), "Value:2.75");
  EXPECT_EQ(ValueLabelText(QStringLiteral("Value:"), -150, 100, {}), "Value:-1.5");
  EXPECT_EQ(ValueLabelText(QStringLiteral("Gain:"), 100, 100, QStringLiteral(" db")), "Gain:1 db");
  EXPECT_EQ(FilterLowLabelText(true, 5000), "low Cut:5000 hz");
  EXPECT_EQ(FilterLowLabelText(false, 5000), "low Cut:50%");
  EXPECT_EQ(FilterHighLabelText(false, 1234), "High Cut:12.34%");
  EXPECT_EQ(WavPackLabelText(true, false, 239), QStringLiteral("Value:23.9"));
  EXPECT_EQ(WavPackLabelText(false, true, 9600), QStringLiteral("Value:9600"));
  EXPECT_FALSE(WavPackLabelText(false, false, 239).has_value());
}
