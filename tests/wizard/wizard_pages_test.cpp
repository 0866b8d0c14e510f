// Opening the wizard, moving through its pages, and what each page fills
// in: devices and sources by record mode, formats, the settings buttons and
// the summary.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTreeWidget>

#include "dialogs/option_rules.h"
#include "wizard_fixture.h"

namespace {
constexpr int kStart = 0, kSource = 1, kOutput = 2, kFinish = 3;
}

TEST_F(WizardTest, OpensFromButtonAndMenuOnTheFirstPageAndRestoresStayOnTop) {
  Tfrmmain& w = Open();
  w.SetStayOnTop(true);
  bool sawFirstOpening = false;
  auto watch = WhenModal("frmwiz", [&](QDialog& d) {
    auto& wiz = static_cast<Tfrmwiz&>(d);
    sawFirstOpening = true;
    EXPECT_EQ(wiz.windowTitle(), "Zovedu Wizard");
    EXPECT_EQ(wiz.size(), QSize(445, 292));
    EXPECT_EQ(wiz.geometry().center(), w.geometry().center());
    EXPECT_EQ(wiz.Tag, 1);
    EXPECT_FALSE(w.IsStayOnTop()) << "normal while the wizard shows";
    EXPECT_EQ(wiz.PageControl1->currentWidget(), wiz.tabstart);
    EXPECT_FALSE(wiz.btnback->isEnabled());
    EXPECT_EQ(wiz.btnnext->text(), "&Next>");
    EXPECT_EQ(wiz.eoutname->text(), OutFile("Rectest-01.wav"));
    wiz.btnnext->click();
    wiz.btnnext->click();
    wiz.btncancel->click();
  });
  w.btnwiz->click();
  EXPECT_TRUE(sawFirstOpening);
  EXPECT_TRUE(w.IsStayOnTop());
  EXPECT_EQ(wizard->Tag, 0);

  // The next opening starts on the first page again, with a fresh name.
  w.SetStayOnTop(false);
  w.cformat->setCurrentIndex(3);  // OGG
  bool sawSecondOpening = false;
  watch = WhenModal("frmwiz", [&](QDialog& d) {
    auto& wiz = static_cast<Tfrmwiz&>(d);
    sawSecondOpening = true;
    EXPECT_EQ(wiz.Tag, 0);
    EXPECT_EQ(wiz.PageControl1->currentWidget(), wiz.tabstart);
    EXPECT_EQ(wiz.eoutname->text(), OutFile("Rectest-01.ogg"));
    wiz.reject();
  });
  w.Wizard1->trigger();
  EXPECT_TRUE(sawSecondOpening);
  EXPECT_FALSE(w.IsStayOnTop());
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, ButtonsFollowThePagesAndBackRefillsNothing) {
  Tfrmmain& w = Open();
  Tfrmwiz& wiz = Start(ModeNormal);
  const struct {
    int page;
    bool back;
    const char* next;
  } steps[] = {{kSource, true, "&Next>"}, {kOutput, true, "&Next>"}, {kFinish, true, "&Finish"}};
  for (const auto& s : steps) {
    wiz.btnnext->click();
    EXPECT_EQ(wiz.PageControl1->currentIndex(), s.page);
    EXPECT_EQ(wiz.btnback->isEnabled(), s.back);
    EXPECT_EQ(wiz.btnnext->text(), s.next);
  }
  wiz.btnback->click();
  wiz.btnback->click();
  EXPECT_EQ(wiz.PageControl1->currentIndex(), kSource);
  EXPECT_EQ(wiz.btnnext->text(), "&Next>");
  wiz.btnnext->click();
  QStringList formats;
  for (int i = 0; i < wiz.formatcom->count(); ++i) formats << wiz.formatcom->itemText(i);
  EXPECT_EQ(formats, (QStringList{"WAV", "MP3", "WMA", "OGG", "APE", "FLAC", "TTA", "WV", "AAC", "MPC", "SPX"}));
  EXPECT_EQ(wiz.sourcecom->count(), w.Rslist->count());
  wiz.btnback->click();
  wiz.btnback->click();
  EXPECT_FALSE(wiz.btnback->isEnabled());
  EXPECT_EQ(wiz.PageControl1->currentWidget(), wiz.tabstart);
}

TEST_F(WizardTest, RecordModeChoosesSourceFormatAndExtras) {
  devices[0].inputs[0].volume = 0.734f;
  Tfrmmain& w = Open();
  w.cformat->setCurrentIndex(5);  // FLAC: what the normal mode keeps
  const struct {
    int mode;
    const char* source;
    const char* format;
    bool agc, dar;
  } cases[] = {{ModeNormal, "Line In", "FLAC", false, false},
               {ModeMicrophone, "Headset Mic", "SPX", true, false},
               {ModePlayer, "Analog Input", "MP3", false, false},
               {ModeInternet, "Analog Input", "MP3", false, true},
               {ModeLineIn, "Line In", "FLAC", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Tfrmwiz& wiz = NewWizard();
    Start(c.mode);
    NextTo(kSource);
    EXPECT_EQ(wiz.sourcecom->currentText(), c.source);
    NextTo(kOutput);
    EXPECT_EQ(wiz.formatcom->currentText(), c.format);
    EXPECT_TRUE(wiz.eoutname->text().endsWith(QString(".") + QString(c.format).toLower()))
        << wiz.eoutname->text().toStdString();
    EXPECT_EQ(wiz.cagc->isChecked(), c.agc);
    EXPECT_EQ(wiz.btnagc->isEnabled(), c.agc);
    EXPECT_EQ(wiz.cdar->isChecked(), c.dar);
    EXPECT_EQ(wiz.btndar->isEnabled(), c.dar);
    EXPECT_FALSE(wiz.btncompressor->isEnabled());
  }
  // The line input's level shows on the volume bar; the device keeps it.
  EXPECT_EQ(wizard->barvol->value(), 73);
  EXPECT_EQ(wizard->lvol->text(), "Value:73");
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[0].inputs[0].volume, 0.734f);
  // Checking and unchecking an extra switches its button.
  wizard->ccompressor->click();
  EXPECT_TRUE(wizard->btncompressor->isEnabled());
  wizard->ccompressor->click();
  EXPECT_FALSE(wizard->btncompressor->isEnabled());
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, ChangingTheFormatChangesTheNameExtension) {
  Open();
  Tfrmwiz& wiz = Start(ModeNormal);
  NextTo(kOutput);
  EXPECT_EQ(wiz.eoutname->text(), OutFile("Rectest-01.wav"));
  Choose(wiz.formatcom, "AAC");
  EXPECT_EQ(wiz.eoutname->text(), OutFile("Rectest-01.aac"));
  wiz.eoutname->setText("take");
  Choose(wiz.formatcom, "OGG");
  EXPECT_EQ(wiz.eoutname->text(), "take.ogg");
}

TEST_F(WizardTest, ADeviceThatCannotBeOpenedIsPassedOverAndNeverEndsTheProgram) {
  zaudio::VirtualDevice broken = Input("Broken Mic", zaudio::INPUT_TYPE_MIC, 0, 44100);
  broken.failOpen = true;
  devices.insert(devices.begin(), broken);
  Open();
  Tfrmwiz& wiz = Start(ModeMicrophone);
  NextTo(kSource);
  EXPECT_EQ(wiz.sourcecom->currentText(), "Headset Mic");
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
  EXPECT_FALSE(messages.ended);

  // Choosing it says so and the wizard goes on.
  Choose(wiz.sourcecom, "Broken Mic");
  EXPECT_EQ(messages.texts(), QStringList{"Cannot start default recording device!"});
  EXPECT_FALSE(messages.ended);
  wiz.SetRecordMode(ModeNormal);
  Choose(wiz.sourcecom, "Broken Mic");
  EXPECT_EQ(messages.texts().last(), "Cannot start recording device!");
  Choose(wiz.sourcecom, "Line In");
  EXPECT_EQ(backend->openDevice(), 1);
  wiz.btnnext->click();
  EXPECT_EQ(wiz.PageControl1->currentIndex(), kOutput);
}

TEST_F(WizardTest, NoMatchingDeviceChoosesNoSource) {
  devices.erase(devices.begin());  // no line input left
  Open();
  Tfrmwiz& wiz = Start(ModeLineIn);
  NextTo(kSource);
  EXPECT_EQ(wiz.sourcecom->count(), 2);
  EXPECT_EQ(wiz.sourcecom->currentIndex(), -1);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, LoopbackSourceTakesTheMainWindowsVolume) {
  zaudio::VirtualDevice monitor = Device("Monitor of Speakers", zaudio::DEVICE_LOOPBACK, 44100);
  monitor.inputs[0].volume = 0.9f;
  devices.push_back(monitor);
  Tfrmmain& w = Open();
  ASSERT_EQ(w.infodevice->text(), "Loopback Device");
  w.Cvolume->setValue(37);
  Tfrmwiz& wiz = Start(ModeNormal);
  NextTo(kSource);
  Choose(wiz.sourcecom, "Monitor of Speakers");
  EXPECT_EQ(wiz.barvol->value(), 37);
  Choose(wiz.sourcecom, "Line In");
  EXPECT_EQ(wiz.barvol->value(), 50);

  // Opening a loopback device puts the main window's slider to its start;
  // the wizard's volume wins.
  Choose(wiz.sourcecom, "Monitor of Speakers");
  wiz.barvol->setValue(44);
  NextTo(kFinish);
  wiz.crun->setChecked(false);
  wiz.btnnext->click();
  EXPECT_EQ(w.infodevice->text(), "Loopback Device");
  EXPECT_EQ(w.Cvolume->value(), 44);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, OutputDevicesAreListedAndChangingOneOpensIt) {
  backend->addOutputDevice("Headphones", false, 44100);
  Open();
  Tfrmwiz& wiz = Start(ModeLineIn);
  NextTo(kSource);
  ASSERT_EQ(wiz.devicecom->count(), 2);
  EXPECT_EQ(wiz.devicecom->itemText(0), "Speakers");
  EXPECT_EQ(wiz.devicecom->itemText(1), "Headphones");
  EXPECT_EQ(wiz.devicecom->currentText(), "Speakers") << "the open one";
  Choose(wiz.devicecom, "Headphones");
  EXPECT_EQ(zaudio::GetDevice(), 1u);
  zaudio::Info info;
  ASSERT_TRUE(zaudio::GetInfo(&info));
  EXPECT_EQ(info.freq, 44100u);
  // The sources were looked through again: the line input is open.
  EXPECT_EQ(wiz.sourcecom->currentText(), "Line In");
  EXPECT_EQ(backend->openDevice(), 0);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(WizardTest, FormatSettingsButtonsSayOrOpenTheirOptionsPage) {
  Open();
  Tfrmwiz& wiz = Start(ModeNormal);
  NextTo(kOutput);
  Choose(wiz.formatcom, "WAV");
  wiz.btnformat->click();
  Choose(wiz.formatcom, "TTA");
  wiz.btnformat->click();
  EXPECT_EQ(messages.texts(), (QStringList{"No extra settings for WAVE!", "No extra settings for TTA!"}));
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Information);

  wiz.cagc->setChecked(true);
  wiz.cdar->setChecked(true);
  wiz.ccompressor->setChecked(true);
  const struct {
    const char* format;  // nullptr: not the format button
    QPushButton* button;
    const char* node;
    int page;
  } cases[] = {{"FLAC", wiz.btnformat, "Lossless Codec", FormatSettingsPage(5)},
               {"MP3", wiz.btnformat, "MP3", FormatSettingsPage(1)},
               {"SPX", wiz.btnformat, "Speex", FormatSettingsPage(10)},
               {nullptr, wiz.btndar, "DAR TM", 0},
               {nullptr, wiz.btncompressor, "Compressor", 4},
               {nullptr, wiz.btnagc, "AGC", 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.node);
    if (c.format) Choose(wiz.formatcom, c.format);
    QString node;
    int page = -1;
    auto watch = WhenModal("frmoption", [&](QDialog& d) {
      auto& o = static_cast<Tfrmoption&>(d);
      node = o.treeopt->currentItem()->text(0);
      page = o.PageControl1->currentIndex();
      o.reject();
    });
    c.button->click();
    EXPECT_EQ(node, c.node);
    EXPECT_EQ(page, c.page);
  }
  EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(WizardTest, SummaryListsTheChoices) {
  Open();
  Tfrmwiz& wiz = Start(ModeInternet);
  NextTo(kSource);
  wiz.barvol->setValue(64);
  Choose(wiz.cchannel, "Mono");
  Choose(wiz.csample, "22050Hz");
  Choose(wiz.cbit, "8 bit");
  NextTo(kFinish);
  const QStringList lines = wiz.mwiz->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 15);
  EXPECT_EQ(lines[0], "Wizard Information:");
  EXPECT_EQ(lines[2], "Input Device:Speakers");
  EXPECT_EQ(lines[3], "Input Source:Analog Input");
  EXPECT_EQ(lines[4], "Input Volume:64");
  EXPECT_EQ(lines[5], "Input Channel:Mono");
  EXPECT_EQ(lines[6], "Input Sample Rate:22050Hz");
  EXPECT_EQ(lines[7], "Input Bits Pre Sample:8 bit");
  EXPECT_EQ(lines[9], "Output Format:MP3");
  EXPECT_EQ(lines[10], "Output Name:" + OutFile("Rectest-01.mp3"));
  EXPECT_EQ(lines[11], "DAR Recording Mode:Enabled");
  EXPECT_EQ(lines[12], "Compressor:Disable");
  EXPECT_EQ(lines[13], "Automatic Gain Control:Disable");
  EXPECT_TRUE(wiz.mwiz->isReadOnly());
  EXPECT_EQ(wiz.mwiz->textCursor().position(), 0);
  EXPECT_TRUE(wiz.crun->isChecked());
}
