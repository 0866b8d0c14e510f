// "Finish" and "Cancel": the choices reach the main window, the options
// dialog and the settings file; the wizard's rate wins over the device's;
// refused output names; the recording started at once; and Cancel leaves
// the main window recording from its own source.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSlider>
#include <cmath>

#include "support/media_check.h"
#include "support/tone_analysis.h"
#include "support/wav_file.h"
#include "wizard_fixture.h"

namespace {
constexpr int kSource = 1, kFinish = 3;
}

TEST_F(WizardTest, FinishWithoutStartingChangesTheWindowsAndTheSettingsButRecordsNothing) {
  Tfrmmain& w = Open();
  ASSERT_EQ(w.Rslist->currentText(), "Headset Mic");
  Tfrmwiz& wiz = Start(ModePlayer);
  NextTo(kSource);
  ASSERT_EQ(wiz.sourcecom->currentText(), "Analog Input");
  wiz.barvol->setValue(64);
  Choose(wiz.cchannel, "Mono");
  Choose(wiz.csample, "22050Hz");
  Choose(wiz.cbit, "8 bit");
  NextTo(kFinish - 1);
  wiz.ccompressor->setChecked(true);
  NextTo(kFinish);
  wiz.crun->setChecked(false);
  const QString name = wiz.eoutname->text();
  ASSERT_EQ(name, OutFile("Rectest-01.mp3"));
  bool accepted = false;
  QObject::connect(&wiz, &QDialog::accepted, [&] { accepted = true; });
  wiz.btnnext->click();
  EXPECT_TRUE(accepted);

  EXPECT_EQ(w.Rslist->currentText(), "Analog Input");
  EXPECT_EQ(w.Rslist->toolTip(), "Analog Input");
  EXPECT_EQ(backend->openDevice(), 2);
  EXPECT_EQ(w.cchannel->currentText(), "Mono");
  EXPECT_EQ(w.csample->currentText(), "22050Hz") << "not the device's 48000 Hz";
  EXPECT_EQ(w.cbit->currentText(), "8 bit");
  EXPECT_EQ(w.cformat->currentText(), "MP3");
  EXPECT_EQ(w.lrname->text(), "Rectest-01.mp3");
  EXPECT_EQ(w.Cvolume->value(), 64);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[2].inputs[0].volume, 0.64f);
  EXPECT_FALSE(w.cdar->isChecked());
  EXPECT_EQ(w.FChannels, 1);
  EXPECT_EQ(w.FSampleRate, 22050);
  EXPECT_EQ(w.FBitsPerSample, 8);
  EXPECT_TRUE(w.FWizardName);
  EXPECT_EQ(w.FWizardOutName, name);
  EXPECT_TRUE(options->ccompressor->isChecked());
  EXPECT_FALSE(options->cagc->isChecked());
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(backend->runningCaptures(), 0);
  EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();

  ASSERT_TRUE(w.close());
  const IniFile ini = Saved();
  const std::pair<const char*, int> expected[] = {{"Volume", 64}, {"Channel", 0}, {"Sample", 3}, {"Bits", 0}, {"Format", 1}};
  for (const auto& [key, value] : expected) EXPECT_EQ(ini.ReadInteger("Main", key, -99), value) << key;
}

TEST_F(WizardTest, FinishRecordsMono22050Hz8BitIntoTheWizardsFile) {
  Tfrmmain& w = Open();
  Tfrmwiz& wiz = Start(ModeMicrophone);  // the microphone runs at 48000 Hz
  NextTo(kSource);
  Choose(wiz.cchannel, "Mono");
  Choose(wiz.csample, "22050Hz");
  Choose(wiz.cbit, "8 bit");
  NextTo(kFinish - 1);
  Choose(wiz.formatcom, "WAV");
  wiz.cagc->setChecked(false);  // the samples as they come
  wiz.eoutname->setText("voice/first take.wav");
  NextTo(kFinish);
  wiz.btnnext->click();
  ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
  EXPECT_EQ(w.Rslist->currentText(), "Headset Mic");
  EXPECT_EQ(w.lrname->text(), "first take.wav");
  backend->pump(22050);
  w.RectimerTimer();
  w.btnstopClick();
  ASSERT_EQ(w.FRecordChannel, 0u);
  const auto wav = zovedu_test::ReadWav(OutFile("voice/first take.wav").toStdString());
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->channels, 1);
  EXPECT_EQ(wav->rate, 22050u);
  EXPECT_EQ(wav->bits, 8);
  EXPECT_EQ(wav->data.size(), 22050u);
  EXPECT_FALSE(w.FWizardName) << "the name is used once";
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, PlayerModeRecordsTheToneToMp3) {
  Tfrmmain& w = Open();
  Tfrmwiz& wiz = Start(ModePlayer);
  NextTo(kFinish);
  ASSERT_EQ(wiz.formatcom->currentText(), "MP3");
  ASSERT_TRUE(wiz.crun->isChecked());
  wiz.btnnext->click();
  ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
  for (int second = 0; second < 3; ++second) {
    backend->pump(44100);
    w.RectimerTimer();
  }
  w.btnstopClick();
  const QString file = OutFile("Rectest-01.mp3");
  ASSERT_TRUE(QFileInfo::exists(file)) << messages.texts().join("|").toStdString();
  const auto probe = zovedu_test::Probe(file.toStdString());
  ASSERT_FALSE(probe.empty());
  EXPECT_EQ(probe.at("codec_name"), "mp3");
  EXPECT_EQ(probe.at("sample_rate"), "44100");
  EXPECT_EQ(probe.at("channels"), "2");
  const std::vector<float> stereo = zovedu_test::Floats(zovedu_test::Decode(file.toStdString(), "f32le"));
  std::vector<float> left;
  for (size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
  EXPECT_NEAR(left.size() / 44100.0, 3.0, 0.2);
  const zovedu_test::ToneFound tone = zovedu_test::FindTone(left, 44100, 1000);
  ASSERT_TRUE(tone.found);
  EXPECT_NEAR(tone.frequency, 1000, 5);
  EXPECT_GT(tone.purity, 0.8);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, UnusableOutputNamesAreRefusedAndTheWizardStaysOpen) {
  Tfrmmain& w = Open();
  ASSERT_TRUE(QDir(out.path()).mkdir("sub"));
  const QString refused[] = {"", "   ", OutFile("sub"), "sub", "new/", "/proc/zovedu-none/take.wav"};
  for (const QString& name : refused) {
    SCOPED_TRACE(name.toStdString());
    messages.shown.clear();
    Tfrmwiz& wiz = Start(ModeMicrophone);
    NextTo(kFinish);
    wiz.eoutname->setText(name);
    bool accepted = false;
    QObject::connect(&wiz, &QDialog::accepted, [&] { accepted = true; });
    wiz.btnnext->click();
    EXPECT_FALSE(accepted);
    EXPECT_EQ(wiz.PageControl1->currentIndex(), kFinish);
    ASSERT_EQ(messages.shown.size(), 1u);
    if (name.startsWith("/proc/")) {
      EXPECT_EQ(messages.shown[0].text, "Cannot create /proc/zovedu-none");
      EXPECT_EQ(messages.shown[0].kind, MsgKind::Error);
    }
    // Nothing was handed over.
    EXPECT_EQ(w.cformat->currentText(), "WAV");
    EXPECT_FALSE(w.FWizardName);
    EXPECT_EQ(w.FRecordChannel, 0u);
    wiz.reject();
  }
}

TEST_F(WizardTest, CancelLeavesTheMainWindowWithItsOwnSourceAndChoices) {
  Tfrmmain& w = Open();
  ASSERT_EQ(backend->openDevice(), 1);
  w.csample->setCurrentIndex(0);  // 8000Hz
  Tfrmwiz& wiz = Start(ModeLineIn);
  NextTo(kSource);
  ASSERT_EQ(wiz.sourcecom->currentText(), "Line In");
  EXPECT_EQ(backend->openDevice(), 0) << "the wizard's choice is open meanwhile";
  Choose(wiz.cchannel, "Mono");
  NextTo(kFinish);
  wiz.btncancel->click();
  EXPECT_EQ(backend->openDevice(), 1);
  EXPECT_EQ(w.Rslist->currentText(), "Headset Mic");
  EXPECT_EQ(w.csample->currentText(), "8000Hz");
  EXPECT_EQ(w.FSampleRate, 8000);
  EXPECT_EQ(w.cchannel->currentText(), "Stereo");
  EXPECT_FALSE(w.FWizardName);

  // The main window records from its own device.
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
  EXPECT_EQ(backend->openDevice(), 1);
  w.btnstopClick();
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}
