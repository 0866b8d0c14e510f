// Shared set-up of the options dialog tests: a main window stand-in, a fresh
// work folder per test, recorded messages, and generic access to controls by
// their component names.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "services/app_error.h"
#include "settings/ini_file.h"
#include "support/test_messages.h"

class FakeLink final : public MainWindowLink {
 public:
  int CurrentFormatIndex() const override { return format; }
  int SampleRateIndex() const override { return sampleIndex; }
  QString WorkFolder() const override { return workFolder; }
  QString MusicFolder() const override { return musicFolder; }
  bool IsStayOnTop() const override { return stayOnTop; }
  void SetStayOnTop(bool onTop) override {
    stayOnTop = onTop;
    stayOnTopCalls << onTop;
  }
  void ReleaseHotkeys() override { calls << QStringLiteral("release"); }
  void InstallHotkeys() override { calls << QStringLiteral("install"); }
  void ReinstallHotkeys() override {
    ReleaseHotkeys();
    InstallHotkeys();
  }
  void UpdateFormatInfo() override { calls << QStringLiteral("formatinfo"); }
  void SetOutputFolder(const QString& folder) override { outputFolder = folder; }

  int format = 0;
  int sampleIndex = 5;  // 44100 Hz
  QString workFolder, musicFolder = QStringLiteral("/home/u/Music/");
  bool stayOnTop = false;
  QList<bool> stayOnTopCalls;
  QStringList calls;
  QString outputFolder;
};

class OptionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    link.workFolder = dir.path() + QStringLiteral("/");
    dlg = std::make_unique<Tfrmoption>(&link);
  }

  QString iniPath() const { return SettingsFilePath(link.workFolder); }
  IniFile ini() const { return IniFile(iniPath()); }

  QWidget* control(const QString& name) const {
    auto* w = dlg->findChild<QWidget*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
  }
  template <class W>
  W* as(const QString& name) const {
    auto* w = qobject_cast<W*>(control(name));
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
  }
  // The value a control holds, as the settings store it.
  QVariant value(const QString& name) const {
    QWidget* w = control(name);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->isChecked();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentIndex();
    if (auto* s = qobject_cast<QSlider*>(w)) return s->value();
    if (auto* u = qobject_cast<TUpDown*>(w)) return u->position();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (qobject_cast<QGroupBox*>(w)) {  // a group of radio buttons: the checked one's place
      const auto radios = w->findChildren<QRadioButton*>();
      for (int i = 0; i < radios.size(); ++i)
        if (radios[i]->isChecked()) return i;
      return -1;
    }
    ADD_FAILURE() << "no value control " << name.toStdString();
    return {};
  }
  bool enabled(const QString& name) const { return control(name)->isEnabled(); }
  void click(const QString& name) { as<QAbstractButton>(name)->click(); }

  QTemporaryDir dir;
  FakeLink link;
  TestMessages messages;
  std::unique_ptr<Tfrmoption> dlg;
};
