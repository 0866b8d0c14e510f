// The "Record Source" group: device choice, rates, inputs and the volume slider.
#include "main_window_fixture.h"
#include "recording/capture_devices.h"

using zaudio::DEVICE_DEFAULT;
using zaudio::DEVICE_LOOPBACK;

TEST_F(MainWindowTest, StartPicksLoopbackThenDefaultThenFirst) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, zaudio::DWORD>> devices;
    int selected;
    const char* info;
  } cases[] = {
      {"loopback first", {{"Mic", DEVICE_DEFAULT}, {"USB", 0}, {"Stereo Mix", DEVICE_LOOPBACK}, {"Mix 2", DEVICE_LOOPBACK}}, 2, "Loopback Device"},
      {"default next", {{"USB", 0}, {"Mic", DEVICE_DEFAULT}}, 1, "Capture Device"},
      {"else entry 0", {{"USB", 0}, {"Line", 0}}, 0, "Capture Device"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    for (const auto& [name, flags] : c.devices) backend->addCaptureDevice(Device(name, flags));
    Tfrmmain& w = Open();
    EXPECT_EQ(w.Rslist->count(), static_cast<int>(c.devices.size()));
    EXPECT_EQ(w.Rslist->currentIndex(), c.selected);
    EXPECT_EQ(w.Rslist->toolTip(), c.devices[c.selected].first);
    EXPECT_EQ(w.infodevice->text(), c.info);
    EXPECT_EQ(backend->openDevice(), c.selected);
    TearDown();
  }
}

TEST_F(MainWindowTest, NoDevicesLeaveTheListEmptyAndNothingOpen) {
  Tfrmmain& w = Open();
  EXPECT_EQ(w.Rslist->count(), 0);
  EXPECT_EQ(backend->openDevice(), -1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, LoopbackDeviceStartsAtHalfVolumeAndCaptureDeviceAtItsInputLevel) {
  auto mic = Device("Mic", DEVICE_DEFAULT, 48000);
  mic.inputs[0].volume = 0.374f;
  backend->addCaptureDevice(Device("Stereo Mix", DEVICE_LOOPBACK));
  backend->addCaptureDevice(mic);
  Tfrmmain& w = Open();
  EXPECT_EQ(w.Cvolume->value(), 20);  // the stored slider position wins at start
  w.btnsourcerefreshClick();
  EXPECT_EQ(w.Cvolume->value(), 50);
  EXPECT_EQ(w.lvol->text(), "Vol:50");

  w.Rslist->setCurrentIndex(1);
  w.RslistChange();
  EXPECT_EQ(w.infodevice->text(), "Capture Device");
  EXPECT_EQ(w.Cvolume->value(), 37);
  EXPECT_EQ(w.csample->currentText(), "48000Hz");
  EXPECT_EQ(w.FSampleRate, 48000);
}

TEST_F(MainWindowTest, SelectRateItemKeepsTheListForUnlistedRates) {
  backend->addCaptureDevice(Device("Mic", DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  struct Case {
    int before;  // list index before, -1 for none
    int rate;
    int after;
    int sampleRate;
  } cases[] = {{5, 48000, 6, 48000}, {6, 88200, 6, 48000}, {-1, 88200, 5, 44100},
               {2, 8000, 0, 8000},   {0, 192000, 8, 192000}, {3, 0, 3, 22050}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    w.csample->setCurrentIndex(c.before);
    w.SelectRateItem(c.rate);
    EXPECT_EQ(w.csample->currentIndex(), c.after);
    EXPECT_EQ(w.FSampleRate, c.sampleRate);
  }
}

TEST_F(MainWindowTest, VolumeSliderGoesWhereTheStateSays) {
  auto mic = Device("Mic", DEVICE_DEFAULT);
  backend->addCaptureDevice(Device("Stereo Mix", DEVICE_LOOPBACK));
  backend->addCaptureDevice(mic);
  Tfrmmain& w = Open();  // the loopback device is open

  // Loopback, not recording: nothing to apply the effect to.
  w.Cvolume->setValue(30);
  EXPECT_EQ(w.FVolumeEffect, 0u);

  // Loopback while recording: a volume effect on the recording channel.
  const zaudio::HRECORD rec = zaudio::RecordStart(44100, 2, 0, nullptr);
  ASSERT_NE(rec, 0u);
  w.FRecordChannel = rec;
  w.Cvolume->setValue(40);
  const zaudio::HFX first = w.FVolumeEffect;
  ASSERT_NE(first, 0u);
  w.Cvolume->setValue(60);
  EXPECT_NE(w.FVolumeEffect, first);  // the old effect was replaced
  zaudio::BFX_VOLUME p;
  EXPECT_FALSE(zaudio::FXGetParameters(first, &p));
  ASSERT_TRUE(zaudio::FXGetParameters(w.FVolumeEffect, &p));
  EXPECT_EQ(p.lChannel, -1);
  EXPECT_FLOAT_EQ(p.fVolume, 0.6f);
  zaudio::ChannelStop(rec);
  w.FRecordChannel = 0;

  // Capture device: the level of input 0 of the open device.
  w.Rslist->setCurrentIndex(1);
  w.RslistChange();
  w.Cvolume->setValue(70);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[1].inputs[0].volume, 0.7f);

  // A file plays: the output volume, not the input.
  w.FPlayStream = 1;
  w.Cvolume->setValue(20);
  EXPECT_FLOAT_EQ(zaudio::GetVolume(), 0.2f);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[1].inputs[0].volume, 0.7f);
  w.FPlayStream = 0;
  EXPECT_EQ(w.lvol->text(), "Vol:20");
}

TEST_F(MainWindowTest, OlderModelListsInputsAndKeepsOnlyTheChosenOneOn) {
  PlatformInfo::setVersionForTesting({5, 1});
  auto card = Device("Card", DEVICE_DEFAULT);
  card.inputs = {{"Microphone", zaudio::INPUT_TYPE_MIC, true, 0.2f},
                 {"Line In", zaudio::INPUT_TYPE_LINE, false, 0.45f},
                 {"CD Audio", zaudio::INPUT_TYPE_CD, true, 0.9f}};
  backend->addCaptureDevice(card);
  Tfrmmain& w = Open();
  ASSERT_EQ(w.Rslist->count(), 3);
  EXPECT_EQ(w.Rslist->currentIndex(), 2);  // the last input that is on
  auto onFlags = [&] {
    std::vector<bool> on;
    const auto devices = backend->captureDeviceState();
    for (const auto& in : devices[0].inputs) on.push_back(in.on);
    return on;
  };
  EXPECT_EQ(onFlags(), (std::vector<bool>{false, false, true}));
  // The stored slider position (20 without a settings file) is applied to the chosen input.
  EXPECT_EQ(w.Cvolume->value(), 20);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[0].inputs[2].volume, 0.2f);

  w.Rslist->setCurrentIndex(1);
  w.RslistChange();
  EXPECT_EQ(onFlags(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(w.Cvolume->value(), 45);
  w.Cvolume->setValue(33);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[0].inputs[1].volume, 0.33f);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[0].inputs[2].volume, 0.2f);
}

TEST_F(MainWindowTest, RefreshListsDevicesAgain) {
  backend->addCaptureDevice(Device("Mic", DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  backend->addCaptureDevice(Device("Stereo Mix", DEVICE_LOOPBACK));
  w.btnsourcerefresh->click();
  EXPECT_EQ(w.Rslist->count(), 2);
  EXPECT_EQ(w.infodevice->text(), "Loopback Device");
}

TEST_F(MainWindowTest, DevicesBeyondTheTwentiethKeepTheirMark) {
  for (int i = 0; i < 21; ++i) backend->addCaptureDevice(Device("Mic", i == 0 ? DEVICE_DEFAULT : 0));
  backend->addCaptureDevice(Device("Late Mix", DEVICE_LOOPBACK));
  Tfrmmain& w = Open();
  EXPECT_EQ(w.Rslist->count(), 22);
  EXPECT_EQ(w.Rslist->currentIndex(), 21);
  EXPECT_EQ(w.infodevice->text(), "Loopback Device");
  EXPECT_GE(w.FLoopbackDevices.size(), 22u);
  EXPECT_FALSE(IsLoopbackDevice(w.FLoopbackDevices, 500));
  EXPECT_FALSE(IsLoopbackDevice(w.FLoopbackDevices, -1));
}
