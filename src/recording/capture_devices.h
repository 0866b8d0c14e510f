// Listing capture devices and inputs, and the choices the "Record Source"
// group makes from them, without widgets.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Loopback marks per device index: -1 capture device, 0 loopback device.
// The table holds at least 20 entries and grows with the list, so a device
// beyond the twentieth keeps its own mark.
constexpr int kLoopbackTableSize = 20;
constexpr int kCaptureMark = -1;
constexpr int kLoopbackMark = 0;

struct CaptureDeviceList {
  QStringList names;
  std::vector<int> loopbackMarks = std::vector<int>(kLoopbackTableSize, kCaptureMark);
  int selected = -1;  // first loopback device, else the default, else 0; -1 when empty
};

// Walks the library's capture devices.
CaptureDeviceList EnumerateCaptureDevices();

// True when the device at index is a loopback device; indexes outside the
// table are capture devices.
bool IsLoopbackDevice(const std::vector<int>& marks, int index);

struct InputList {
  QStringList names;
  int selected = -1;  // the last input that is on
};

// Walks the inputs of the open capture device.
InputList EnumerateInputs();

// The nine capture rates of the sample-rate list, in list order.
extern const int kCaptureRates[9];
// The list entry of a rate, or -1 when the list has none for it.
int RateItemIndex(int rate);

// Where the volume slider's position goes.
enum class VolumeTarget { OutputVolume, LoopbackEffect, DeviceInput0, SelectedInput };
VolumeTarget ChooseVolumeTarget(bool playing, bool newerDeviceModel, bool loopbackSelected);

// "Vol:" and the position.
QString VolumeText(int position);
// A 0..1 level as a 0..100 slider position, rounded to nearest.
int VolumeToPosition(float volume);
