// The options dialog hands its encoder pages' values to the command lines.
#include <QCheckBox>

#include "option_fixture.h"

namespace {
const QString kFile = QStringLiteral("/music/a b.x");
const QString kQuoted = QStringLiteral("\"/music/a b.x\"");
}  // namespace

TEST_F(OptionDialogTest, Mp3AndOggCommandLinesFollowThePageControls) {
  link.sampleIndex = 0;  // 8000 Hz: the VBR lists start at 32 and 48 kbps
  dlg->LoadSettings();
  EXPECT_EQ(dlg->BuildMp3CommandLine(2, kFile), "bin/lame  --preset standard - " + kQuoted);
  EXPECT_EQ(dlg->BuildOggCommandLine(2, kFile), "bin/oggenc2 -q 2.75 - -o" + kQuoted);

  click("cmp3vbr");
  as<QComboBox>("mp3channelcom")->setCurrentIndex(4);
  as<QSlider>("cbarmp3quality")->setValue(2);
  as<QComboBox>("mp3maxbitratecom")->setCurrentIndex(7);
  for (const char* flag : {"cmp3crc", "cmp3copy", "cmp3non"}) click(flag);
  EXPECT_EQ(dlg->BuildMp3CommandLine(2, kFile), "bin/lame  -a -b 32 -m m -p -c -o -V 2 -B 64 - " + kQuoted);
  click("cmp3abr");
  as<QLineEdit>("emp3abr")->setText("200");
  as<QComboBox>("mp3minbitratecom")->setCurrentIndex(-1);  // the first selection at 8000 Hz
  EXPECT_EQ(dlg->BuildMp3CommandLine(1, kFile), "bin/lame  -b 32 -m m -p -c -o --abr 200 -B 64 - " + kQuoted);
  as<QLineEdit>("emp3abr")->setText("");
  EXPECT_EQ(dlg->BuildMp3CommandLine(1, kFile), "bin/lame  -b 32 -m m -p -c -o --abr 128 -B 64 - " + kQuoted)
      << "an empty edit gives the up-down's last number";

  as<QComboBox>("oggchannelcom")->setCurrentIndex(0);
  as<QSlider>("cbaroggquality")->setValue(-150);
  EXPECT_EQ(dlg->BuildOggCommandLine(2, kFile), "bin/oggenc2 --downmix --quality -1.5 - -o" + kQuoted);
  click("coggaverage");
  as<QComboBox>("oggnorbitratecom")->setCurrentIndex(9);
  as<QComboBox>("oggminbitratecom")->setCurrentIndex(1);
  as<QComboBox>("oggmaxbitratecom")->setCurrentIndex(14);
  EXPECT_EQ(dlg->BuildOggCommandLine(1, kFile), "bin/oggenc2 -b 160 -m 32 -M 320 - -o" + kQuoted);
}

TEST_F(OptionDialogTest, OtherEncoderCommandLinesFollowThePageControls) {
  dlg->LoadSettings();
  click("cwvcompress");
  as<QComboBox>("wvchannelcom")->setCurrentIndex(1);
  as<QComboBox>("wvqualitycom")->setCurrentIndex(2);
  EXPECT_EQ(dlg->BuildWavPackCommandLine(kFile), "bin/wavpack -j0 -h -b23.9 -i - " + kQuoted);
  click("cwvsample");
  as<QSlider>("barwvcompress")->setValue(320);
  EXPECT_EQ(dlg->BuildWavPackCommandLine(kFile), "bin/wavpack -j0 -h -b320 -i - " + kQuoted);

  as<QComboBox>("aacmpegcom")->setCurrentIndex(1);
  click("caacabr");
  as<QSlider>("baraacabr")->setValue(192);
  click("caacbandwith");
  as<QSlider>("baraacbandwith")->setValue(20000);
  EXPECT_EQ(dlg->BuildAacCommandLine(kFile), "bin/FAAC --mpeg-vers 2 -b 192 -c 20000 -o " + kQuoted + " -");

  click("cmpccustomset");
  as<QSlider>("barmpcquality")->setValue(725);
  as<QComboBox>("mpcchannelcom")->setCurrentIndex(7);
  EXPECT_EQ(dlg->BuildMpcCommandLine(kFile), "bin/mppenc --silent --overwrite --quality 7.25 --ms 13 - " + kQuoted);

  EXPECT_EQ(dlg->BuildSpeexCommandLine(kFile), "bin/speexenc --bitrate 32 --quality 8 -u - " + kQuoted);
  click("cspeexabr");
  as<QComboBox>("speexbitratecom")->setCurrentIndex(10);
  as<QSlider>("barspeexquality")->setValue(3);
  as<QComboBox>("speexmodecom")->setCurrentIndex(1);
  click("cspeexvad");
  click("cspeexnr");
  EXPECT_EQ(dlg->BuildSpeexCommandLine(kFile), "bin/speexenc --abr 18 --quality 3 -w --vad --denoise - " + kQuoted);
}
