// The main window with its options dialog and the recording wizard, on the
// virtual audio backend, recording into a temporary output folder. The
// capture devices are declared per test before Open(); by default a line
// input, the default microphone (at 48000 Hz) and an analog input.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <functional>
#include <utility>
#include <memory>
#include <vector>

#include "app/main_window_fixture.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/tfrmwiz.h"
#include "dialogs/tfrmwiz_rules.h"
#include "settings/ini_file.h"
#include "support/when_modal.h"

class WizardTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(out.isValid());
    devices = {Input("Line In", zaudio::INPUT_TYPE_LINE, 0, 44100),
               Input("Headset Mic", zaudio::INPUT_TYPE_MIC, zaudio::DEVICE_DEFAULT, 48000),
               Input("Analog Input", zaudio::INPUT_TYPE_ANALOG, 0, 48000)};
  }
  void TearDown() override {
    wizard.reset();
    options.release();  // a child of the window: freed with it
    MainWindowTest::TearDown();
  }

  // A capture device whose input 0 has the type; its level 0.5, a 1000 Hz tone.
  static zaudio::VirtualDevice Input(const char* name, zaudio::DWORD type, zaudio::DWORD flags, zaudio::DWORD rate) {
    zaudio::VirtualDevice d = Device(name, flags, rate);
    d.inputs[0].type = type;
    d.inputs[0].volume = 0.5f;
    return d;
  }

  Tfrmmain& Open() {
    for (const auto& d : devices) backend->addCaptureDevice(d);
    window = std::make_unique<Tfrmmain>();
    options = std::make_unique<Tfrmoption>(window.get(), window.get());
    window->SetOptionsDialog(options.get());
    QFile f(SettingsFilePath(window->FWorkFolder));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("[OutPut]\nFolder=" + out.path() + "/\n").toUtf8());
    f.close();
    window->FormShow();
    window->show();
    options->cplay->setChecked(false);  // a stop plays nothing
    NewWizard();
    return *window;
  }

  // The wizard as the main window creates it; a new one forgets the choices
  // an earlier one kept.
  Tfrmwiz& NewWizard() {
    wizard = std::make_unique<Tfrmwiz>(window.get(), options.get(), window.get());
    window->SetWizardDialog(wizard.get());
    return *wizard;
  }

  // Opens the wizard as the main window does, without its modal loop, in a mode.
  Tfrmwiz& Start(int mode) {
    EXPECT_TRUE(wizard->PrepareOpenFromMain());
    wizard->SetRecordMode(mode);
    return *wizard;
  }
  // Next until the page of that index shows.
  void NextTo(int page) {
    while (wizard->PageControl1->currentIndex() < page) wizard->NextPage();
  }
  // Chooses a list entry as the user does.
  static void Choose(QComboBox* list, const QString& text) {
    const int i = list->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    list->setCurrentIndex(i);
    emit list->activated(i);
  }

  QString OutFile(const QString& name) const { return out.filePath(name); }
  IniFile Saved() const { return IniFile(SettingsFilePath(window->FWorkFolder)); }

  QTemporaryDir out;
  std::vector<zaudio::VirtualDevice> devices;
  std::unique_ptr<Tfrmoption> options;
  std::unique_ptr<Tfrmwiz> wizard;
};

using zovedu_test::WhenModal;
