// The summary page.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>

#include "dialogs/tfrmwiz.h"
#include "dialogs/tfrmwiz_rules.h"

QString Tfrmwiz::EnabledText(const QCheckBox* box) { return ::EnabledText(box->isChecked()); }

void Tfrmwiz::BuildWizardSummary() {
  WizardSummaryValues v;
  v.device = devicecom->currentText();
  v.source = sourcecom->currentText();
  v.volume = barvol->value();
  v.channel = cchannel->currentText();
  v.sampleRate = csample->currentText();
  v.bits = cbit->currentText();
  v.format = formatcom->currentText();
  v.outputName = eoutname->text();
  v.dar = cdar->isChecked();
  v.compressor = ccompressor->isChecked();
  v.agc = cagc->isChecked();
  mwiz->setPlainText(WizardSummaryLines(v).join(QLatin1Char('\n')));
  mwiz->moveCursor(QTextCursor::Start);
}
