// The recording wizard's view of the main window, and its opening.
#include <QSignalBlocker>
#include <utility>

#include "app/tfrmmain.h"
#include "dialogs/tfrmwiz.h"
#include "recording/capture_devices.h"

void Tfrmmain::btnwizClick() {
  if (!frmwiz_ || FRecordChannel != 0) return;
  // The wizard may open another output device, which ends any playing.
  if (FPlayStream != 0) StopPlayback();
  frmwiz_->ShowModalFromMain();
}

QStringList Tfrmmain::SourceNames() const {
  QStringList names;
  for (int i = 0; i < Rslist->count(); ++i) names << Rslist->itemText(i);
  return names;
}

int Tfrmmain::ChosenSource() const { return Rslist->currentIndex(); }
bool Tfrmmain::IsLoopbackSource(int index) const { return IsLoopbackDevice(FLoopbackDevices, index); }
int Tfrmmain::VolumePosition() const { return Cvolume->value(); }

QStringList Tfrmmain::FormatNames() const {
  QStringList names;
  for (int i = 0; i < cformat->count(); ++i) names << cformat->itemText(i);
  return names;
}

int Tfrmmain::ChosenFormat() const { return cformat->currentIndex(); }

void Tfrmmain::ChooseRecordSettings(int channelIndex, int rateIndex, int bitsIndex, bool dar) {
  const std::pair<QComboBox*, int> choices[] = {{cchannel, channelIndex}, {csample, rateIndex}, {cbit, bitsIndex}};
  for (const auto& [list, index] : choices) {
    const QSignalBlocker block(list);
    list->setCurrentIndex(index);
  }
  cdar->setChecked(dar);
}

void Tfrmmain::ChooseSource(int index) {
  {
    const QSignalBlocker block(Rslist);
    Rslist->setCurrentIndex(index);
  }
  Rslist->setToolTip(Rslist->currentText());
}

void Tfrmmain::ChooseFormat(int index) {
  const QSignalBlocker block(cformat);
  cformat->setCurrentIndex(index);
}

void Tfrmmain::SetVolumeSlider(int position) { SetVolumePosition(position); }

void Tfrmmain::RunRecordSettingHandlers() {
  cchannelChange();
  csampleChange();
  cbitChange();
  cformatChange();
}

void Tfrmmain::ChooseSampleRate(int rateIndex) {
  {
    const QSignalBlocker block(csample);
    csample->setCurrentIndex(rateIndex);
  }
  csampleChange();
}

void Tfrmmain::SetWizardOutputName(const QString& path) {
  FWizardOutName = path;
  FWizardName = true;
}

void Tfrmmain::RunSourceChange() { RslistChange(); }
void Tfrmmain::StartRecordingAsRecordButton() { btnrecClick(); }

void Tfrmmain::ReopenChosenSource() {
  if (FRecordChannel != 0) return;
  const int index = Rslist->currentIndex();
  if (FVistaOrLater && index >= 0) {
    OpenRecordingDevice(index);
  } else {
    zaudio::RecordFree();
    zaudio::RecordInit(-1);
    if (index >= 0) SelectInput(index);
  }
}
