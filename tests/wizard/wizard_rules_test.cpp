// The wizard's widget-free rules: sources and formats per record mode, the
// output name's extension and checks, and the summary's lines.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "audio/zaudio.h"
#include "dialogs/tfrmwiz_rules.h"

TEST(WizardRules, EachModeTakesTheInputTypesItRecordsFrom) {
  using namespace zaudio;
  const DWORD types[] = {INPUT_TYPE_UNDEF, INPUT_TYPE_LINE, INPUT_TYPE_MIC, INPUT_TYPE_ANALOG, INPUT_TYPE_CD};
  // Per mode, per type above.
  const bool suits[5][5] = {{true, true, true, true, true},
                            {false, false, true, false, false},
                            {true, false, false, true, false},
                            {true, false, false, true, false},
                            {false, true, false, false, false}};
  for (int mode = 0; mode < 5; ++mode)
    for (int t = 0; t < 5; ++t) {
      EXPECT_EQ(SourceSuitsMode(mode, types[t]), suits[mode][t]) << mode << " " << t;
      // Only the type byte counts: the "off" flag and low bits do not.
      EXPECT_EQ(SourceSuitsMode(mode, types[t] | 0x00010000 | 0x5), suits[mode][t]) << mode << " " << t;
    }
  EXPECT_FALSE(SourceSuitsMode(5, INPUT_TYPE_UNDEF));
}

TEST(WizardRules, FormatsOfTheModes) {
  const int expected[] = {-1, 10, 1, 1, -1};
  for (int mode = 0; mode < 5; ++mode) EXPECT_EQ(FormatOfMode(mode), expected[mode]) << mode;
}

TEST(WizardRules, ExtensionIsTheLowerCasedFormatName) {
  const struct {
    const char *name, *format, *expected;
  } cases[] = {{"/m/Rectest-01.wav", "AAC", "/m/Rectest-01.aac"},
               {"/m/Rectest-01", "SPX", "/m/Rectest-01.spx"},
               {"/m.dir/take", "MP3", "/m.dir/take.mp3"},
               {"take.one.wav", "FLAC", "take.one.flac"}};
  for (const auto& c : cases) EXPECT_EQ(WithFormatExtension(c.name, c.format), c.expected) << c.name;
}

TEST(WizardRules, OutputNameRefusesEmptyAndFolderNamesAndTakesRelativeOnesInsideTheFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid() && QDir(dir.path()).mkdir("sub"));
  const QString out = dir.path() + "/";
  EXPECT_EQ(ResolveWizardOutputName("take.mp3", out).path, dir.path() + "/take.mp3");
  EXPECT_EQ(ResolveWizardOutputName(" new/take.mp3 ", out).path, dir.path() + "/new/take.mp3");
  EXPECT_EQ(ResolveWizardOutputName("/elsewhere/take.mp3", out).path, "/elsewhere/take.mp3");
  for (const QString& refused : {QString(), QString("  "), QString("sub"), QString("new/"), dir.path()}) {
    const WizardOutputName r = ResolveWizardOutputName(refused, out);
    EXPECT_TRUE(r.path.isEmpty()) << refused.toStdString();
    EXPECT_FALSE(r.refusal.isEmpty()) << refused.toStdString();
  }
}

TEST(WizardRules, SummaryLinesWithTheirRulers) {
  WizardSummaryValues v;
  v.device = "Speakers";
  v.source = "Microphone";
  v.volume = 73;
  v.channel = "Mono";
  v.sampleRate = "22050Hz";
  v.bits = "8 bit";
  v.format = "MP3";
  v.outputName = "/m/a.mp3";
  v.dar = true;
  const QStringList lines = WizardSummaryLines(v);
  const QStringList expected = {"Wizard Information:",
                                QString(29, '-') + "Input Settings" + QString(27, '-'),
                                "Input Device:Speakers",
                                "Input Source:Microphone",
                                "Input Volume:73",
                                "Input Channel:Mono",
                                "Input Sample Rate:22050Hz",
                                "Input Bits Pre Sample:8 bit",
                                QString(29, '-') + "Output Settings" + QString(26, '-'),
                                "Output Format:MP3",
                                "Output Name:/m/a.mp3",
                                "DAR Recording Mode:Enabled",
                                "Compressor:Disable",
                                "Automatic Gain Control:Disable",
                                QString(34, '-') + "Over" + QString(33, '-')};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines[1].size(), 70);
  EXPECT_EQ(lines[8].size(), 70);
  EXPECT_EQ(lines[14].size(), 71);
}
