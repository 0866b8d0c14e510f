// The options dialog hands its MP3 and OGG page values to the bitrate rules.
#include "option_fixture.h"

TEST_F(OptionDialogTest, NominalBitratesFollowThePageControls) {
  dlg->LoadSettings();  // no file: the pages' first values at 44100 Hz
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 171);  // preset 1
  EXPECT_EQ(dlg->OggNominalBitrate(), 108);  // quality 2.75

  as<QComboBox>("mp3presetcom")->setCurrentIndex(5);
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 319);
  click("cmp3cbr");
  as<QComboBox>("mp3cbrbitratecom")->setCurrentIndex(17);
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 320);
  click("cmp3vbr");
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 112 + 7);  // minimum 112, V 4
  as<QSlider>("cbarmp3quality")->setValue(0);
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 112 + 11);
  click("cmp3abr");
  as<QLineEdit>("emp3abr")->setText("200");
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 200);

  as<QSlider>("cbaroggquality")->setValue(950);
  EXPECT_EQ(dlg->OggNominalBitrate(), 410);
  click("coggquality");
  as<QComboBox>("oggnorbitratecom")->setCurrentIndex(3);
  EXPECT_EQ(dlg->OggNominalBitrate(), 56);
}

TEST_F(OptionDialogTest, Mp3NominalBitrateFollowsTheSampleRateOfTheLists) {
  link.sampleIndex = 0;  // 8000 Hz: the lists end at 64 kbps, CBR starts at 40
  dlg->LoadSettings();
  click("cmp3cbr");
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 40);
  as<QComboBox>("mp3cbrbitratecom")->setCurrentIndex(-1);
  EXPECT_EQ(dlg->Mp3NominalBitrate(), 40) << "no selection counts as the list's first";
}
