// The main window with its options dialog, recording on the virtual backend
// into a temporary output folder; the test pumps the capture and drives the
// one-second monitor itself.
#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QSlider>

#include "dialogs/tfrmoption.h"
#include "main_window_fixture.h"
#include "settings/ini_file.h"
#include "support/wav_file.h"

class RecordingWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(out.isValid());
    zaudio::VirtualDevice mic = Device("Microphone", zaudio::DEVICE_DEFAULT, 44100);
    mic.signal.amplitude[0] = mic.signal.amplitude[1] = 0.5;
    backend->addCaptureDevice(mic);
  }
  void TearDown() override {
    options.release();  // a child of the window: freed with it
    MainWindowTest::TearDown();
  }

  // Opens the window with its options; extra settings lines are added to an
  // output folder in the temporary folder.
  Tfrmmain& Open(const QString& extraIni = QString()) {
    options.release();
    window.reset();
    window = std::make_unique<Tfrmmain>();
    options = std::make_unique<Tfrmoption>(window.get(), window.get());
    window->SetOptionsDialog(options.get());
    QFile f(SettingsFilePath(window->FWorkFolder));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("[OutPut]\nFolder=" + out.path() + "/\n" + extraIni).toUtf8());
    f.close();
    window->FormShow();
    window->show();
    // A stop plays its file only in the tests about playing.
    options->cplay->setChecked(false);
    return *window;
  }

  // One second of the microphone, then the monitor's tick.
  void Second(int frames = 44100) {
    backend->pump(static_cast<size_t>(frames), 441);
    window->RectimerTimer();
  }
  // Runs queued calls (failures reported from library threads).
  static void Deliver() { QCoreApplication::processEvents(); }

  QString OutFile(const char* name) const { return out.filePath(QString::fromLatin1(name)); }
  std::optional<zovedu_test::WavInfo> Wav(const char* name) const {
    return zovedu_test::ReadWav(OutFile(name).toStdString());
  }
  bool Enabled(const char* name) const {
    if (auto* w = window->findChild<QWidget*>(name)) return w->isEnabled();
    return window->findChild<QAction*>(name)->isEnabled();
  }

  QTemporaryDir out;
  std::unique_ptr<Tfrmoption> options;
};
