// The wizard's four pages and their controls.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "dialogs/placed_controls.h"
#include "dialogs/tfrmwiz.h"
#include "services/accessible_names.h"

namespace {

using placed::Label;
using placed::List;

QPushButton* SettingsButton(QWidget* parent, const char* name, const QRect& r) {
  auto* b = Named(new QPushButton(QStringLiteral("Settings"), parent), name);
  b->setGeometry(r);
  b->setAutoDefault(false);
  return b;
}

QLabel* ContinueLabel(QWidget* page, int y) {
  return Label(page, QStringLiteral("Click Next to continue"), QRect(8, y, 300, 16));
}

}  // namespace

void Tfrmwiz::BuildStartPage() {
  Label(tabstart, QStringLiteral("This Wizard will help you to make a recording work\nfor Zovedu."),
        QRect(8, 8, 365, 32));
  ContinueLabel(tabstart, 46);
  rrecmode = Named(new QGroupBox(QStringLiteral("Record Mode"), tabstart), "rrecmode");
  rrecmode->setGeometry(8, 70, 365, 168);
  rrecmodeItems = new QButtonGroup(this);
  const char* const items[] = {"Normal", "Voice from MicroPhone", "Song from Player(Windows media Player,RealPlayer etc)",
                               "from Internet Stream(Skype,MSN,ICQ,Radio etc)",
                               "from Line In (turntable, cassette deck, portable playe etc)"};
  for (int i = 0; i < 5; ++i) {
    auto* item = new QRadioButton(QString::fromLatin1(items[i]), rrecmode);
    item->setGeometry(10, 20 + i * 28, 349, 22);
    rrecmodeItems->addButton(item, i);
  }
  rrecmodeItems->button(0)->setChecked(true);  // "Normal"
}

void Tfrmwiz::BuildSourcePage() {
  ContinueLabel(tabsource, 4);
  auto* mixer = Named(new QGroupBox(QStringLiteral("Mixer Settings"), tabsource), "gmixer");
  mixer->setGeometry(8, 24, 365, 214);
  auto* deviceCaption = Label(mixer, QStringLiteral("Device:"), QRect(8, 20, 56, 22));
  devicecom = List(mixer, "devicecom", {}, -1, QRect(64, 20, 290, 22));
  accessible::Caption(deviceCaption, devicecom);
  auto* sourceCaption = Label(mixer, QStringLiteral("Source:"), QRect(8, 48, 56, 22));
  sourcecom = List(mixer, "sourcecom", {}, -1, QRect(64, 48, 290, 22));
  accessible::Caption(sourceCaption, sourcecom);
  auto* volumeCaption = Label(mixer, QStringLiteral("Volume:"), QRect(8, 76, 56, 22));
  barvol = Named(new QSlider(Qt::Horizontal, mixer), "barvol");
  accessible::Caption(volumeCaption, barvol);
  barvol->setRange(0, 100);
  barvol->setGeometry(64, 76, 224, 22);
  lvol = Named(Label(mixer, QString(), QRect(294, 76, 64, 22)), "lvol");
  barvol->setValue(50);
  barvolChange();

  auto* record = Named(new QGroupBox(QStringLiteral("Record Settings"), mixer), "grecord");
  record->setGeometry(8, 104, 349, 102);
  auto* channelCaption = Label(record, QStringLiteral("Channel:"), QRect(8, 18, 110, 22));
  cchannel = List(record, "cchannel", {QStringLiteral("Mono"), QStringLiteral("Stereo")}, 1, QRect(120, 18, 120, 22));
  accessible::Caption(channelCaption, cchannel);
  auto* sampleCaption = Label(record, QStringLiteral("SampleRate:"), QRect(8, 44, 110, 22));
  csample = List(record, "csample",
                 {QStringLiteral("8000Hz"), QStringLiteral("11025Hz"), QStringLiteral("16000Hz"),
                  QStringLiteral("22050Hz"), QStringLiteral("32000Hz"), QStringLiteral("44100Hz"),
                  QStringLiteral("48000Hz"), QStringLiteral("96000Hz"), QStringLiteral("192000Hz")},
                 5, QRect(120, 44, 120, 22));
  accessible::Caption(sampleCaption, csample);
  auto* bitsCaption = Label(record, QStringLiteral("Bits Per Sample:"), QRect(8, 70, 110, 22));
  cbit = List(record, "cbit",
              {QStringLiteral("8 bit"), QStringLiteral("16 bit"), QStringLiteral("24 bit"), QStringLiteral("32 bit")}, 1,
              QRect(120, 70, 120, 22));
  accessible::Caption(bitsCaption, cbit);
}

void Tfrmwiz::BuildOutputPage() {
  ContinueLabel(tabout, 4);
  auto* output = Named(new QGroupBox(QStringLiteral("Output Settings"), tabout), "goutput");
  output->setGeometry(8, 24, 365, 214);
  auto* formatCaption = Label(output, QStringLiteral("Out Format:"), QRect(8, 20, 70, 22));
  formatcom = List(output, "formatcom", {}, -1, QRect(80, 20, 194, 22));
  accessible::Caption(formatCaption, formatcom);
  btnformat = SettingsButton(output, "btnformat", QRect(280, 20, 74, 22));
  accessible::Name(btnformat, QStringLiteral("Format settings"));
  auto* nameCaption = Label(output, QStringLiteral("Out Name:"), QRect(8, 48, 70, 22));
  eoutname = Named(new QLineEdit(output), "eoutname");
  accessible::Caption(nameCaption, eoutname);
  eoutname->setGeometry(80, 48, 274, 22);

  auto* extras = Named(new QGroupBox(QStringLiteral("Additional Settings"), output), "gadditional");
  extras->setGeometry(8, 80, 349, 124);
  const struct {
    QCheckBox** box;
    const char* name;
    const char* caption;
    QPushButton** button;
    const char* buttonName;
    const char* buttonSays;  // the settings button's name for a screen reader
  } rows[] = {
      {&cagc, "cagc", "Enabled Automatic Gain Control", &btnagc, "btnagc", "Automatic gain control settings"},
      {&cdar, "cdar", "Use DAR TM mode when recording ", &btndar, "btndar", "DAR TM settings"},
      {&ccompressor, "ccompressor", "Enabled Compressor", &btncompressor, "btncompressor", "Compressor settings"}};
  int y = 22;
  for (const auto& r : rows) {
    *r.box = Named(new QCheckBox(QString::fromLatin1(r.caption), extras), r.name);
    (*r.box)->setGeometry(8, y, 264, 22);
    *r.button = SettingsButton(extras, r.buttonName, QRect(274, y, 68, 22));
    (*r.button)->setEnabled(false);
    accessible::Name(*r.button, QString::fromLatin1(r.buttonSays));
    y += 32;
  }
}

void Tfrmwiz::BuildFinishPage() {
  mwiz = Named(new QPlainTextEdit(tabfin), "mwiz");
  mwiz->setGeometry(8, 8, 365, 200);
  mwiz->setReadOnly(true);
  mwiz->setLineWrapMode(QPlainTextEdit::NoWrap);
  accessible::Name(mwiz, QStringLiteral("Summary"), QStringLiteral("The settings the wizard will apply"));
  crun = Named(new QCheckBox(QStringLiteral("Start Recording when wizard Complete"), tabfin), "crun");
  crun->setGeometry(8, 214, 365, 22);
  crun->setChecked(true);
}

int Tfrmwiz::RecordMode() const { return rrecmodeItems->checkedId(); }

void Tfrmwiz::SetRecordMode(int mode) {
  if (QAbstractButton* item = rrecmodeItems->button(mode)) item->setChecked(true);
}

void Tfrmwiz::barvolChange() { lvol->setText(QStringLiteral("Value:") + QString::number(barvol->value())); }
