// Channel operations beyond plain capture: locking, syncs, DSP functions,
// many channels, and which channels outlive a device.
#include <atomic>
#include <chrono>
#include <thread>

#include "virtual_fixture.h"

using namespace zaudio;
using namespace std::chrono_literals;

TEST_F(VirtualLibrary, LockedChannelProcessesNothingUntilUnlocked) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD h = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(ChannelLock(h, true));
  std::atomic<bool> pumped{false};
  std::thread pump([&] {
    backend->pump(441);
    pumped = true;
  });
  std::this_thread::sleep_for(50ms);  // gives a wrongly unlocked delivery time to happen
  {
    std::lock_guard lock(cap.mutex);
    EXPECT_EQ(cap.calls, 0u);
  }
  EXPECT_FALSE(pumped);
  ASSERT_TRUE(ChannelLock(h, false));
  pump.join();
  EXPECT_EQ(cap.calls, 1u);
  EXPECT_FALSE(ChannelLock(h, false));  // not locked any more
  EXPECT_EQ(ErrorGetCode(), ERROR_ALREADY);
}

TEST_F(VirtualLibrary, VanishedDeviceFiresTheDeviceSyncOnce) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD h = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  std::atomic<int> fired{0};
  DWORD firedFor = 0;
  ASSERT_NE(ChannelSetSync(h, SYNC_DEV_FAIL, 0,
                           [&](HSYNC, DWORD channel, DWORD, void*) {
                             firedFor = channel;
                             ++fired;
                           },
                           nullptr),
            0u);
  backend->pump(441);
  backend->failCaptures();
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(firedFor, h);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  EXPECT_TRUE(ChannelStop(h));  // the handle stays until stopped
  EXPECT_EQ(fired, 1);

  // A stop by the caller is no failure.
  const HRECORD h2 = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  ChannelSetSync(h2, SYNC_DEV_FAIL, 0, [&](HSYNC, DWORD, DWORD, void*) { ++fired; }, nullptr);
  EXPECT_TRUE(ChannelStop(h2));
  EXPECT_EQ(fired, 1);
}

TEST_F(VirtualLibrary, DspRunsOnTheCapturedBlockBeforeTheCallback) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD h = RecordStart(44100, 1, SAMPLE_FLOAT, Collect(cap, SampleType::F32));
  int user = 0;
  const HDSP dsp = ChannelSetDSP(
      h,
      [](HDSP, DWORD, void* buffer, DWORD length, void* u) {
        ++*static_cast<int*>(u);
        auto* s = static_cast<float*>(buffer);
        for (DWORD i = 0; i < length / 4; ++i) s[i] = 0.25f;
      },
      &user, 0);
  ASSERT_NE(dsp, 0u);
  backend->pump(441);
  EXPECT_EQ(user, 1);
  ASSERT_EQ(cap.samples.size(), 441u);
  EXPECT_EQ(cap.samples.front(), 0.25f);
  EXPECT_NEAR((ChannelGetLevel(h) & 0xFFFF), 8192, 1);  // the meter sees the result
  EXPECT_TRUE(ChannelRemoveDSP(h, dsp));
  EXPECT_FALSE(ChannelRemoveDSP(h, dsp));
  backend->pump(441);
  EXPECT_EQ(user, 1);
}

TEST_F(VirtualLibrary, CapturesUpToEightChannels) {
  ASSERT_TRUE(RecordInit(0));
  Capture cap;
  const HRECORD h = RecordStart(48000, 6, SAMPLE_FLOAT, Collect(cap, SampleType::F32));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  backend->pump(480);
  EXPECT_EQ(cap.samples.size(), 480u * 6);
  EXPECT_EQ(RecordStart(48000, 9, SAMPLE_FLOAT, Collect(cap, SampleType::F32)), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FORMAT);
}

TEST_F(VirtualLibrary, FreeingTheDeviceEndsRecordingsButNotStreams) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD rec = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  const HSTREAM push = StreamCreate(44100, 2, STREAM_DECODE, STREAMPROC_PUSH);
  ASSERT_TRUE(RecordFree());
  EXPECT_EQ(ChannelIsActive(rec), ACTIVE_STOPPED);
  EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
  EXPECT_EQ(ChannelIsActive(push), ACTIVE_PLAYING);
  EXPECT_TRUE(StreamFree(push));
}

TEST_F(VirtualLibrary, DevicesOpenByTheirListedIdentity) {
  DeviceInfo info;
  for (DWORD i = 0; RecordGetDeviceInfo(i, &info); ++i) {
  }
  // Unplugged after the listing: entry 2 still means "USB Audio", entry 0
  // is gone.
  backend->removeCaptureDevice("Stereo Mix");
  ASSERT_TRUE(RecordInit(2));
  EXPECT_EQ(backend->openDevice(), 1);  // "USB Audio" now sits at backend index 1
  ASSERT_TRUE(RecordFree());
  EXPECT_FALSE(RecordInit(0));
  EXPECT_EQ(ErrorGetCode(), ERROR_DEVICE);
  EXPECT_FALSE(RecordInit(3));
}
