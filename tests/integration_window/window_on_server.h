// The main window on the private PulseAudio test server, recording into a
// temporary folder with the encoders of bin/.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <thread>

#include "app/tfrmmain.h"
#include "audio/pulse/pulse_backend.h"
#include "dialogs/tfrmoption.h"
#include "pulse_test_server.h"
#include "settings/ini_file.h"
#include "support/test_messages.h"

namespace zovedu_test {

// Runs a program to its end (two minutes at most); what it said on both outputs.
inline QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(120000)) return "timed out";
  if (exitCode) *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAll());
}

class WindowOnServer : public PulseServerTest {
 protected:
  void SetUp() override {
    PulseServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(home.isValid() && out.isValid());
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    zaudio::UseBackend(std::make_shared<zaudio::PulseBackend>());
    inUse_ = true;
  }
  void TearDown() override {
    if (inUse_) {
      options.release();  // a child of the window
      window.reset();
      zaudio::RecordFree();
      zaudio::Free();
      zaudio::UseBackend(nullptr);
    }
    PulseServerTest::TearDown();
  }

  Tfrmmain& Open() {
    window = std::make_unique<Tfrmmain>();
    options = std::make_unique<Tfrmoption>(window.get(), window.get());
    window->SetOptionsDialog(options.get());
    QFile f(SettingsFilePath(window->FWorkFolder));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("[OutPut]\nFolder=" + out.path() + "/\n").toUtf8());
    f.close();
    window->FormShow();
    // A stop would play its file into the sinks the next recording hears.
    options->cplay->setChecked(false);
    return *window;
  }

  // Chooses the test server's microphone: the direct capture path.
  void ChooseMicrophone() {
    int mic = -1;
    for (int i = 0; i < window->Rslist->count(); ++i)
      if (window->Rslist->itemText(i).contains(QString::fromStdString(kMicDescription))) mic = i;
    ASSERT_GE(mic, 0);
    window->Rslist->setCurrentIndex(mic);
    window->RslistChange();
    ASSERT_EQ(window->infodevice->text(), "Capture Device");
  }

  // Records for three seconds while the window's events run, then stops.
  void RecordThreeSeconds() {
    window->btnrecClick();
    ASSERT_NE(window->FRecordChannel, 0u) << messages.texts().join("|").toStdString();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    window->btnstopClick();
  }

  QTemporaryDir home, out;
  TestMessages messages;
  std::unique_ptr<Tfrmmain> window;
  std::unique_ptr<Tfrmoption> options;

 private:
  bool inUse_ = false;
};

}  // namespace zovedu_test
