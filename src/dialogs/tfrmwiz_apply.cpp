// "Finish": the wizard's choices into the main window and the options dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSlider>

#include "dialogs/tfrmoption.h"
#include "dialogs/tfrmwiz.h"
#include "dialogs/tfrmwiz_rules.h"
#include "dialogs/wizard_main_link.h"
#include "services/message_service.h"
#include "services/paths.h"

bool Tfrmwiz::ApplyWizard() {
  // The name is checked and its folder made first, so that a refused name
  // changes nothing and the user can correct it here.
  const QString folder = options_->Efolder->text().isEmpty() ? options_->DefaultOutputFolder() : options_->Efolder->text();
  const WizardOutputName name = ResolveWizardOutputName(eoutname->text(), folder);
  if (name.path.isEmpty()) {
    Messages().show(MsgKind::Warning, name.refusal, MsgButtons::Ok);
    return false;
  }
  const QString outputFolder = QFileInfo(name.path).absolutePath();
  if (!QFileInfo(outputFolder).isDir() && !ForceFolders(outputFolder)) {
    ShowAppError(QStringLiteral("Cannot create ") + outputFolder);
    return false;
  }

  link_->ChooseRecordSettings(cchannel->currentIndex(), csample->currentIndex(), cbit->currentIndex(),
                              cdar->isChecked());
  // Without a matching source the main window keeps its own.
  if (sourcecom->currentIndex() >= 0) link_->ChooseSource(sourcecom->currentIndex());
  link_->ChooseFormat(formatcom->currentIndex());
  link_->SetVolumeSlider(barvol->value());
  link_->RunRecordSettingHandlers();
  options_->ccompressor->setChecked(ccompressor->isChecked());
  options_->cagc->setChecked(cagc->isChecked());
  link_->SetWizardOutputName(name.path);
  link_->RunSourceChange();
  // Opening the source chooses the device's own rate and volume (a loopback
  // device its fixed start); the wizard's rate and volume win.
  link_->ChooseSampleRate(csample->currentIndex());
  link_->SetVolumeSlider(barvol->value());
  if (crun->isChecked()) link_->StartRecordingAsRecordButton();
  return true;
}
