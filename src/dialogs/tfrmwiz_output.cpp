// The wizard's output page: the formats, the record mode's choices, the
// output name's extension and the "Settings" buttons that open the options.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "dialogs/option_rules.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/tfrmwiz.h"
#include "dialogs/tfrmwiz_rules.h"
#include "dialogs/wizard_main_link.h"
#include "services/message_service.h"

namespace {
// Options pages of the extras.
constexpr int kDarPage = 0, kCompressorPage = 4, kAgcPage = 5;
constexpr int kWavSettings = -1, kTtaSettings = -2;
}  // namespace

void Tfrmwiz::FillWizardFormats() {
  const QSignalBlocker block(formatcom);
  formatcom->clear();
  formatcom->addItems(link_->FormatNames());
  formatcom->setCurrentIndex(link_->ChosenFormat());
}

void Tfrmwiz::ApplyRecordMode() {
  const int mode = RecordMode();
  if (mode == ModeMicrophone) cagc->setChecked(true);
  if (mode == ModeInternet) cdar->setChecked(true);
  const int format = FormatOfMode(mode);
  if (format >= 0) {
    const QSignalBlocker block(formatcom);
    formatcom->setCurrentIndex(format);
  }
  formatcomChange();
}

void Tfrmwiz::formatcomChange() {
  if (formatcom->currentIndex() < 0) return;
  eoutname->setText(WithFormatExtension(eoutname->text(), formatcom->currentText()));
}

void Tfrmwiz::btnformatClick() {
  const int page = Tfrmoption::FormatSettingsPage(formatcom->currentIndex());
  if (page == kWavSettings)
    Messages().show(MsgKind::Information, QStringLiteral("No extra settings for WAVE!"), MsgButtons::Ok);
  else if (page == kTtaSettings)
    Messages().show(MsgKind::Information, QStringLiteral("No extra settings for TTA!"), MsgButtons::Ok);
  else
    ShowOptionsPage(page);
}

void Tfrmwiz::btndarClick() { ShowOptionsPage(kDarPage); }
void Tfrmwiz::btncompressorClick() { ShowOptionsPage(kCompressorPage); }
void Tfrmwiz::btnagcClick() { ShowOptionsPage(kAgcPage); }

void Tfrmwiz::ShowOptionsPage(int page) {
  options_->ShowPage(page);
  options_->exec();
}
