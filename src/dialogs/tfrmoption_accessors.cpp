// What the recording engine and the wizards ask of the options dialog: the
// next output name, the split settings, the encoder lists and the nominal bitrates.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "encoders/bitrate_tables.h"
#include "encoders/nominal_bitrate.h"
#include "encoders/wma_settings.h"
#include "recording/output_naming.h"
#include "services/clock.h"
#include "services/message_service.h"

// The output folder setting stays as the user chose it: a date folder of the
// name rule is created below it for each recording but never written back
// into Efolder.
QString Tfrmoption::NextOutputName(bool createFolders, int number) const {
  OutputNameRule rule;
  // Without a folder the recording goes where it goes by default.
  rule.folder = Efolder->text().isEmpty() ? DefaultOutputFolder() : Efolder->text();
  rule.usePrefix = cprefix->isChecked();
  rule.prefix = eprefix->text();
  rule.useDateTime = cdatatime->isChecked();
  rule.dateTimeIndex = comdatatime->currentIndex();
  rule.autoNumber = caiu->isChecked();
  rule.format = link_->CurrentFormatIndex();
  rule.aacFileType = aacformatcom->currentIndex();
  rule.mpcFileType = mpcformatcom->currentIndex();
  return BuildOutputName(rule, createFolders, number, AppClock().now());
}

QList<QRadioButton*> Tfrmoption::SplitChoiceButtons() const {
  return {csplit74, csplit80, csplit650, csplit700, csplitcl, csplitcs};
}

SplitChoice Tfrmoption::ChosenSplit() const {
  const QList<QRadioButton*> buttons = SplitChoiceButtons();
  for (int i = 0; i < buttons.size(); ++i)
    if (buttons[i]->isChecked()) return static_cast<SplitChoice>(i + 1);
  return SplitChoice::None;
}

int Tfrmoption::SplitMode() const {
  return SplitModeFor(csplitnew->isChecked(), csplitstop->isChecked(), ChosenSplit());
}

// An empty or zero custom field is no limit; the custom size is computed in
// 64 bits from at most nine digits, so it never overflows.
qint64 Tfrmoption::SplitLimit() const {
  return SplitLimitFor(ChosenSplit(), esplitcl->text(), esplitcs->text());
}

bool Tfrmoption::SplitCreatesNewFile() const { return csplitnew->isChecked(); }

void Tfrmoption::FillMp3BitrateLists() {
  FMp3ListsRateIndex = link_->SampleRateIndex();
  const Mp3BitrateLists lists = Mp3BitrateListsFor(FMp3ListsRateIndex);
  const std::pair<QComboBox*, int> targets[] = {{mp3cbrbitratecom, lists.cbrIndex},
                                                {mp3minbitratecom, lists.minIndex},
                                                {mp3maxbitratecom, lists.maxIndex}};
  for (const auto& [combo, index] : targets) {
    combo->clear();
    combo->addItems(lists.items);
    combo->setCurrentIndex(index);
  }
}

void Tfrmoption::FillSpeexBitrateList() {
  speexbitratecom->clear();
  speexbitratecom->addItems(SpeexBitrateItems());
  speexbitratecom->setCurrentIndex(SpeexDefaultBitrateIndex);
}

void Tfrmoption::FillWmaRateLists() {
  const int sampleIndex = link_->SampleRateIndex();
  // Rates above 48000 Hz need the 24-bit Pro codec; select it before asking.
  if (WmaSampleRateForIndex(sampleIndex) > 48000) wmacodeccom->setCurrentIndex(WmaPro24CodecIndex);
  wmacbrbitratecom->clear();
  wmaqualitycom->clear();
  const WmaRateLists lists = QueryWmaRateLists(sampleIndex, wmachannelcom->currentIndex(),
                                               wmacodeccom->currentIndex(), cwmavbr->isChecked());
  if (lists.forcePro24) wmacodeccom->setCurrentIndex(WmaPro24CodecIndex);
  if (!lists.ok) {
    Messages().show(MsgKind::Information, QStringLiteral("No Codec on this settings"), MsgButtons::Ok);
    return;
  }
  wmacbrbitratecom->addItems(lists.bitrates);
  wmaqualitycom->addItems(lists.qualities);
  for (QComboBox* c : {wmacbrbitratecom, wmaqualitycom})
    if (c->count() > 0) c->setCurrentIndex(0);
}

int Tfrmoption::WmaNominalBitrate() {
  if (wmacbrbitratecom->count() == 0 && wmaqualitycom->count() == 0) FillWmaRateLists();
  return ::WmaNominalBitrate(cwmacbr->isChecked() && wmacbrbitratecom->count() > 0,
                             wmacbrbitratecom->currentText(),
                             cwmavbr->isChecked() && wmaqualitycom->count() > 0,
                             wmaqualitycom->currentText());
}

int Tfrmoption::Mp3NominalBitrate() const {
  Mp3BitrateChoice choice;
  choice.preset = cmp3preset->isChecked();
  choice.presetIndex = mp3presetcom->currentIndex();
  choice.cbr = cmp3cbr->isChecked();
  choice.cbrIndex = mp3cbrbitratecom->currentIndex();
  choice.vbr = cmp3vbr->isChecked();
  choice.minIndex = mp3minbitratecom->currentIndex();
  choice.quality = cbarmp3quality->value();
  choice.abr = cmp3abr->isChecked();
  // The edit's number as the up-down reads it: kept inside the ABR range,
  // the last valid one while the edit holds none.
  choice.abrBitrate = udmp3abr->position();
  choice.sampleRateIndex = FMp3ListsRateIndex;
  return ::Mp3NominalBitrate(choice);
}

int Tfrmoption::OggNominalBitrate() const {
  return ::OggNominalBitrate(coggquality->isChecked(), cbaroggquality->value(),
                             oggnorbitratecom->currentIndex());
}
