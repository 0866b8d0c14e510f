// The "Record Source" group: capture devices or inputs, and the volume slider.
#include <QSignalBlocker>

#include "app/tfrmmain.h"
#include "recording/capture_devices.h"
#include "services/message_service.h"

void Tfrmmain::ListCaptureDevices() {
  const CaptureDeviceList list = EnumerateCaptureDevices();
  FLoopbackDevices = list.loopbackMarks;
  {
    const QSignalBlocker block(Rslist);
    Rslist->clear();
    Rslist->addItems(list.names);
    if (list.selected >= 0) Rslist->setCurrentIndex(list.selected);
  }
  if (list.selected >= 0) RslistChange();
}

void Tfrmmain::ListInputs(int device) {
  zaudio::RecordInit(device);  // a failure leaves the list empty
  const InputList list = EnumerateInputs();
  {
    const QSignalBlocker block(Rslist);
    Rslist->clear();
    Rslist->addItems(list.names);
    Rslist->setCurrentIndex(list.selected);
  }
  RslistChange();
}

bool Tfrmmain::LoopbackSelected() const { return IsLoopbackDevice(FLoopbackDevices, Rslist->currentIndex()); }

void Tfrmmain::RslistChange() {
  // The device never changes under a running recording.
  if (FRecordChannel != 0) return;
  Rslist->setToolTip(Rslist->currentText());
  const int index = Rslist->currentIndex();
  if (FVistaOrLater) {
    if (index < 0) return;
    if (!LoopbackSelected()) {
      OpenCaptureDevice(index);
      infodevice->setText(QStringLiteral("Capture Device"));
    } else {
      OpenLoopbackDevice(index);
      infodevice->setText(QStringLiteral("Loopback Device"));
    }
  } else {
    SelectInput(index);
  }
}

// A device that cannot be opened while the program starts ends it; later
// (the user picks a device or refreshes) the program goes on without one.
void Tfrmmain::OpenRecordingDevice(int index) {
  zaudio::RecordFree();
  if (!zaudio::RecordInit(index)) {
    zaudio::RecordFree();
    const QString text = QStringLiteral("Can not start recording device!");
    if (FFirstShow) Messages().endProgram(MsgKind::Error, text);
    Messages().show(MsgKind::Error, text, MsgButtons::Ok);
  }
}

void Tfrmmain::OpenLoopbackDevice(int index) {
  OpenRecordingDevice(index);
  SetVolumePosition(50);
}

void Tfrmmain::OpenCaptureDevice(int index) {
  OpenRecordingDevice(index);
  float volume = 0;
  if (zaudio::RecordGetInput(0, &volume) != 0xFFFFFFFF) SetVolumePosition(VolumeToPosition(volume));
  if (FVistaOrLater) {
    zaudio::RecordInfo info;
    if (zaudio::RecordGetInfo(&info)) SelectRateItem(static_cast<int>(info.freq));
  }
  cchannel->setEnabled(true);
  csample->setEnabled(true);
}

void Tfrmmain::SelectInput(int index) {
  for (int n = 0; zaudio::RecordSetInput(n, zaudio::INPUT_OFF, -1); ++n) {
  }
  zaudio::RecordSetInput(index, zaudio::INPUT_ON, -1);
  float volume = 0;
  if (zaudio::RecordGetInput(index, &volume) != 0xFFFFFFFF) SetVolumePosition(VolumeToPosition(volume));
}

void Tfrmmain::SelectRateItem(int rate) {
  const int item = RateItemIndex(rate);
  {
    const QSignalBlocker block(csample);
    if (item >= 0) csample->setCurrentIndex(item);
    if (csample->currentIndex() < 0) csample->setCurrentIndex(5);
  }
  csampleChange();
}

void Tfrmmain::SetVolumePosition(int position) {
  {
    const QSignalBlocker block(Cvolume);
    Cvolume->setValue(position);
  }
  CvolumeChange();
}

void Tfrmmain::CvolumeChange() {
  const int position = Cvolume->value();
  lvol->setText(VolumeText(position));
  const float level = position / 100.0f;
  switch (ChooseVolumeTarget(FPlayStream != 0, FVistaOrLater, LoopbackSelected())) {
    case VolumeTarget::OutputVolume:
      zaudio::SetVolume(level);
      break;
    case VolumeTarget::LoopbackEffect:
      ApplyLoopbackVolume();
      break;
    case VolumeTarget::DeviceInput0:
      zaudio::RecordSetInput(0, 0, level);
      break;
    case VolumeTarget::SelectedInput:
      zaudio::RecordSetInput(Rslist->currentIndex(), 0, level);
      break;
  }
}

void Tfrmmain::ApplyLoopbackVolume() {
  if (FRecordChannel == 0) return;
  if (FVolumeEffect != 0) zaudio::ChannelRemoveFX(FRecordChannel, FVolumeEffect);
  FVolumeEffect = zaudio::ChannelSetFX(FRecordChannel, zaudio::FX_BFX_VOLUME, 1);
  zaudio::BFX_VOLUME params;
  zaudio::FXGetParameters(FVolumeEffect, &params);
  params.lChannel = zaudio::BFX_CHANALL;
  params.fVolume = Cvolume->value() / 100.0f;
  zaudio::FXSetParameters(FVolumeEffect, &params);
}

void Tfrmmain::btnsourcerefreshClick() {
  if (FRecordChannel != 0) return;
  if (FVistaOrLater)
    ListCaptureDevices();
  else
    ListInputs(-1);
}

// The recording format lists.

void Tfrmmain::csampleChange() {
  const int i = csample->currentIndex();
  if (i >= 0 && i < 9) FSampleRate = kCaptureRates[i];
}

void Tfrmmain::cchannelChange() { FChannels = cchannel->currentIndex() + 1; }

void Tfrmmain::cbitChange() {
  static const int bits[4] = {8, 16, 24, 32};
  const int i = cbit->currentIndex();
  if (i >= 0 && i < 4) FBitsPerSample = bits[i];
}

void Tfrmmain::cformatChange() {
  FRecordCounter = 0;
  UpdateFormatInfo();
}

int Tfrmmain::CurrentFormatIndex() const { return cformat->currentIndex(); }
int Tfrmmain::SampleRateIndex() const { return csample->currentIndex(); }
