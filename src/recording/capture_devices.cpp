#include "recording/capture_devices.h"

#include <cmath>

#include "audio/zaudio.h"

CaptureDeviceList EnumerateCaptureDevices() {
  CaptureDeviceList list;
  int firstLoopback = -1, defaultDevice = -1;
  zaudio::DeviceInfo info;
  for (zaudio::DWORD i = 0; zaudio::RecordGetDeviceInfo(i, &info); ++i) {
    const int index = static_cast<int>(i);
    if (index >= static_cast<int>(list.loopbackMarks.size())) list.loopbackMarks.push_back(kCaptureMark);
    if (info.flags & zaudio::DEVICE_LOOPBACK) {
      list.loopbackMarks[index] = kLoopbackMark;
      if (firstLoopback < 0) firstLoopback = index;
    }
    if ((info.flags & zaudio::DEVICE_DEFAULT) && defaultDevice < 0) defaultDevice = index;
    list.names << QString::fromStdString(info.name);
  }
  if (!list.names.isEmpty()) list.selected = firstLoopback >= 0 ? firstLoopback : defaultDevice >= 0 ? defaultDevice : 0;
  return list;
}

bool IsLoopbackDevice(const std::vector<int>& marks, int index) {
  return index >= 0 && index < static_cast<int>(marks.size()) && marks[index] != kCaptureMark;
}

InputList EnumerateInputs() {
  InputList list;
  for (int i = 0;; ++i) {
    const char* name = zaudio::RecordGetInputName(i);
    if (!name) break;
    list.names << QString::fromUtf8(name);
    const zaudio::DWORD flags = zaudio::RecordGetInput(i, nullptr);
    if (flags != 0xFFFFFFFF && !(flags & zaudio::INPUT_OFF)) list.selected = i;
  }
  return list;
}

const int kCaptureRates[9] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 192000};

int RateItemIndex(int rate) {
  for (int i = 0; i < 9; ++i)
    if (kCaptureRates[i] == rate) return i;
  return -1;
}

VolumeTarget ChooseVolumeTarget(bool playing, bool newerDeviceModel, bool loopbackSelected) {
  if (playing) return VolumeTarget::OutputVolume;
  if (newerDeviceModel) return loopbackSelected ? VolumeTarget::LoopbackEffect : VolumeTarget::DeviceInput0;
  return VolumeTarget::SelectedInput;
}

QString VolumeText(int position) { return QStringLiteral("Vol:") + QString::number(position); }

int VolumeToPosition(float volume) { return static_cast<int>(std::lround(volume * 100.0f)); }
