// The wizard's output device, capture source and volume.
#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>

#include "audio/zaudio.h"
#include "dialogs/tfrmwiz.h"
#include "dialogs/tfrmwiz_rules.h"
#include "dialogs/wizard_main_link.h"
#include "services/message_service.h"

namespace {
constexpr zaudio::DWORD kNoInput = 0xFFFFFFFF;
constexpr zaudio::DWORD kOutputRate = 44100;
}  // namespace

// Lists the output devices while one is open; the open one is chosen.
void Tfrmwiz::FillWizardDevices() {
  zaudio::Info info;
  if (!zaudio::GetInfo(&info)) return;
  const int open = static_cast<int>(zaudio::GetDevice());  // -1: opened as the default
  const QSignalBlocker block(devicecom);
  devicecom->clear();
  int chosen = -1, preferred = -1;
  zaudio::DeviceInfo device;
  for (zaudio::DWORD n = 0; zaudio::GetDeviceInfo(n, &device); ++n) {
    devicecom->addItem(QString::fromStdString(device.name));
    if (preferred < 0 && (device.flags & zaudio::DEVICE_DEFAULT)) preferred = static_cast<int>(n);
  }
  if (open >= 0 && open < devicecom->count())
    chosen = open;
  else if (devicecom->count() > 0)
    chosen = preferred >= 0 ? preferred : 0;
  devicecom->setCurrentIndex(chosen);
  FOutputItem = chosen;
}

void Tfrmwiz::devicecomChange() {
  const int item = devicecom->currentIndex();
  if (item < 0 || item == FOutputItem) return;
  // Freeing the output closes the capture device as well.
  FCaptureTouched = true;
  zaudio::Free();
  if (zaudio::Init(item, kOutputRate, 0)) {
    FOutputItem = item;
    FillWizardSources();
    return;
  }
  const int code = zaudio::ErrorGetCode();
  // The previous device plays on and the lists stay as they were.
  zaudio::Init(FOutputItem, kOutputRate, 0);
  {
    const QSignalBlocker block(devicecom);
    devicecom->setCurrentIndex(FOutputItem);
  }
  const int source = sourcecom->currentIndex();
  if (source >= 0 && !link_->IsLoopbackSource(source)) OpenCapture(source);
  Messages().show(MsgKind::Information, QString::number(code), MsgButtons::Ok);
}

// Copies the main window's sources and picks one that suits the record mode
// by the type of each device's first input. A device that cannot be opened
// is passed over.
void Tfrmwiz::FillWizardSources() {
  const QStringList names = link_->SourceNames();
  int chosen = -1;
  const int mode = RecordMode();
  if (!names.isEmpty() && mode == ModeNormal) chosen = 0;
  for (int i = 0; chosen < 0 && mode != ModeNormal && i < names.size(); ++i) {
    FCaptureTouched = true;
    zaudio::RecordFree();
    if (!zaudio::RecordInit(i)) continue;
    const zaudio::DWORD flags = zaudio::RecordGetInput(0, nullptr);
    if (flags != kNoInput && SourceSuitsMode(mode, flags)) chosen = i;
  }
  {
    const QSignalBlocker block(sourcecom);
    sourcecom->clear();
    sourcecom->addItems(names);
    sourcecom->setCurrentIndex(chosen);
  }
  sourcecomChange();
}

void Tfrmwiz::sourcecomChange() {
  const int index = sourcecom->currentIndex();
  if (index < 0) return;
  if (link_->IsLoopbackSource(index)) {
    barvol->setValue(link_->VolumePosition());
    return;
  }
  if (!OpenCapture(index)) return;
  float volume = 0;
  if (zaudio::RecordGetInput(0, &volume) != kNoInput) barvol->setValue(static_cast<int>(std::lround(volume * 100)));
}

bool Tfrmwiz::OpenCapture(int index) {
  FCaptureTouched = true;
  zaudio::RecordFree();
  if (zaudio::RecordInit(index)) return true;
  zaudio::RecordFree();
  Messages().show(MsgKind::Error,
                  RecordMode() == ModeMicrophone ? QStringLiteral("Cannot start default recording device!")
                                                 : QStringLiteral("Cannot start recording device!"),
                  MsgButtons::Ok);
  return false;
}
