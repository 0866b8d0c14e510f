// The tag editor dialog with a main window stand-in, recorded messages and a
// scratch folder; Edit opens a file and acts inside the modal step.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmtag.h"
#include "support/scratch_dir.h"
#include "support/test_messages.h"

class TagLink final : public MainWindowLink {
 public:
  int CurrentFormatIndex() const override { return 0; }
  int SampleRateIndex() const override { return 5; }
  QString WorkFolder() const override { return {}; }
  QString MusicFolder() const override { return {}; }
  bool IsStayOnTop() const override { return stayOnTop; }
  void SetStayOnTop(bool onTop) override { stayOnTop = onTop; }
  void ReleaseHotkeys() override {}
  void InstallHotkeys() override {}
  void ReinstallHotkeys() override {}
  void UpdateFormatInfo() override {}
  void SetOutputFolder(const QString&) override {}
  bool stayOnTop = false;
};

class TagDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { dlg = std::make_unique<Tfrmtag>(&link, readers, nullptr); }

  // Opens path as a list entry of type; inside the modal step act runs, then
  // OK (or Cancel) is clicked. Returns whether the dialog was shown.
  bool Edit(const std::filesystem::path& path, const QString& type, const std::function<void()>& act,
            bool ok = true) {
    bool shown = false;
    dlg->showModal = [&] {
      shown = true;
      act();
      (ok ? dlg->btntag : dlg->Button2)->click();
      return dlg->result();
    };
    dlg->OpenTagEditor(path.string(), QString::fromStdString(path.filename().string()), type);
    return shown;
  }

  // The six fields as the dialog shows them now.
  struct Shown {
    QString title, artist, album, year, genre, comment;
  };
  Shown Fields() const {
    return {dlg->etit->text(), dlg->eart->text(), dlg->ealb->text(),
            dlg->eyear->text(), dlg->egen->currentText(), dlg->ecom->toPlainText()};
  }

  TestMessages messages;
  TagLink link;
  TagReaders readers;
  std::unique_ptr<Tfrmtag> dlg;
  zovedu_test::ScratchDir dir;
};
