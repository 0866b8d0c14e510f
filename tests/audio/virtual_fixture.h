// A library on a fresh virtual backend: a loopback device, a default
// microphone with three inputs and a plain capture device.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "audio/backend.h"
#include "audio/sample_convert.h"
#include "audio/virtual/virtual_backend.h"
#include "audio/zaudio.h"

// A capture device with the default input and signal.
inline zaudio::VirtualDevice CaptureDevice(std::string name, zaudio::DWORD flags, zaudio::DWORD rate) {
  zaudio::VirtualDevice device;
  device.name = std::move(name);
  device.flags = flags;
  device.rate = rate;
  return device;
}

class VirtualLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = std::make_shared<zaudio::VirtualBackend>();
    backend->addOutputDevice("Speakers", true, 48000, 2);
    zaudio::VirtualDevice loop = CaptureDevice("Stereo Mix", zaudio::DEVICE_LOOPBACK, 48000);
    zaudio::VirtualDevice mic = CaptureDevice("Microphone", zaudio::DEVICE_DEFAULT, 44100);
    mic.inputs = {{"Mic", zaudio::INPUT_TYPE_MIC, true, 0.25f},
                  {"Line", zaudio::INPUT_TYPE_LINE, false, 0.5f},
                  {"CD", zaudio::INPUT_TYPE_CD, true, 0.75f}};
    zaudio::VirtualDevice usb = CaptureDevice("USB Audio", 0, 96000);
    backend->addCaptureDevice(loop);
    backend->addCaptureDevice(mic);
    backend->addCaptureDevice(usb);
    zaudio::UseBackend(backend);
    zaudio::SetConfig(zaudio::CONFIG_REC_LOOPBACK, 1);
  }
  void TearDown() override {
    zaudio::RecordFree();
    zaudio::Free();
    zaudio::OverrideVersionsForTesting(0, 0);
  }

  // Collects what the callback receives, converted to float.
  struct Capture {
    std::mutex mutex;
    std::vector<float> samples;
    size_t calls = 0;
    size_t stopAfter = 0;  // return false on this call (0 = never)
  };
  static zaudio::RECORDPROC Collect(Capture& c, zaudio::SampleType type) {
    return [&c, type](zaudio::HRECORD, const void* data, zaudio::DWORD bytes) {
      std::lock_guard lock(c.mutex);
      const size_t n = bytes / zaudio::BytesPerSample(type);
      const size_t at = c.samples.size();
      c.samples.resize(at + n);
      zaudio::ToFloat(type, data, c.samples.data() + at, n);
      return ++c.calls != c.stopAfter;
    };
  }

  std::shared_ptr<zaudio::VirtualBackend> backend;
};
