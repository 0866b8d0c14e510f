// The recording engine on the virtual audio backend: a loopback device that
// follows a 48000 Hz stereo output and a 44100 Hz microphone, blocks pumped
// by the test, files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/virtual/virtual_backend.h"
#include "recording/recording_engine.h"
#include "support/test_messages.h"
#include "support/wav_file.h"

class EngineTest : public ::testing::Test {
 protected:
  static constexpr int kLoopback = 0, kMicrophone = 1;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    backend = std::make_shared<zaudio::VirtualBackend>();
    backend->addOutputDevice("Speakers", true, 48000, 2);
    zaudio::VirtualDevice loop;
    loop.name = "Monitor of Speakers";
    loop.flags = zaudio::DEVICE_LOOPBACK;
    loop.rate = 48000;
    zaudio::VirtualDevice mic;
    mic.name = "Microphone";
    mic.flags = zaudio::DEVICE_DEFAULT;
    backend->addCaptureDevice(loop);
    backend->addCaptureDevice(mic);
    zaudio::UseBackend(backend);
    zaudio::SetConfig(zaudio::CONFIG_REC_LOOPBACK, 1);
    ASSERT_TRUE(zaudio::Init(-1, 44100, 0));
  }
  void TearDown() override {
    engine.stop();
    zaudio::RecordFree();
    zaudio::Free();
  }

  void Open(int device) { ASSERT_TRUE(zaudio::RecordInit(device)); }
  // A signal for the open device's captures: left and right as given.
  void Signal(int device, const std::vector<float>& left, const std::vector<float>& right) {
    zaudio::VirtualSignal s;
    for (size_t i = 0; i < left.size(); ++i) {
      s.samples.push_back(left[i]);
      s.samples.push_back(right[i]);
    }
    backend->setSignal(device, s);
  }
  QString File(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  static WriterRequest Wav(const QString& file) { return WriterRequest::Wav(file); }

  struct Failure {
    RecordingFailure failure;
    zaudio::DWORD handle;
    QString detail;
  };
  std::vector<Failure> Failures() {
    std::lock_guard lock(failuresMutex);
    return failures;
  }

  QTemporaryDir dir;
  std::shared_ptr<zaudio::VirtualBackend> backend;
  TestMessages messages;
  std::mutex failuresMutex;
  std::vector<Failure> failures;
  RecordingEngine engine{[this](RecordingFailure f, zaudio::DWORD h, const QString& d) {
    std::lock_guard lock(failuresMutex);
    failures.push_back({f, h, d});
  }};
};
