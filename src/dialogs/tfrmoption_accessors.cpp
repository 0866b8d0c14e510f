// What the recording engine and the wizards ask of the options dialog: the
// next output name, the split settings, and the encoder lists.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "encoders/bitrate_tables.h"
#include "encoders/wma_settings.h"
#include "recording/output_naming.h"
#include "services/clock.h"
#include "services/message_service.h"

// The output folder setting stays as the user chose it: a date folder of the
// name rule is created below it for each recording but never written back
// into Efolder.
QString Tfrmoption::NextOutputName(bool createFolders, int number) const {
  OutputNameRule rule;
  rule.folder = Efolder->text();
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

SplitChoice Tfrmoption::ChosenSplit() const {
  if (csplit74->isChecked()) return SplitChoice::Min74;
  if (csplit80->isChecked()) return SplitChoice::Min80;
  if (csplit650->isChecked()) return SplitChoice::Mb650;
  if (csplit700->isChecked()) return SplitChoice::Mb700;
  if (csplitcl->isChecked()) return SplitChoice::CustomLength;
  if (csplitcs->isChecked()) return SplitChoice::CustomSize;
  return SplitChoice::None;
}

int Tfrmoption::SplitMode() const {
  return SplitModeFor(csplitnew->isChecked(), csplitstop->isChecked(), ChosenSplit());
}

// Custom limits are at least 1 (an empty or zero field counts as 1) and the
// custom size is computed in 64 bits from at most nine digits, so neither
// overflows nor turns into "no limit".
qint64 Tfrmoption::SplitLimit() const {
  return SplitLimitFor(ChosenSplit(), esplitcl->text(), esplitcs->text());
}

bool Tfrmoption::SplitCreatesNewFile() const { return csplitnew->isChecked(); }

void Tfrmoption::FillMp3BitrateLists() {
  const Mp3BitrateLists lists = Mp3BitrateListsFor(link_->SampleRateIndex());
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
