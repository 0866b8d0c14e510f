// The tag editor: six common fields of one recording, and which of the tag
// kinds ID3v1, ID3v2 and APE to write where a format has several. Reading and
// writing are done by tag_editing; the dialog shows and collects values.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

#include "dialogs/main_window_link.h"
#include "dialogs/tag_editing.h"

class Tfrmtag : public QDialog {
  Q_OBJECT

 public:
  Tfrmtag(MainWindowLink* link, TagReaders& readers, QWidget* owner = nullptr);
  ~Tfrmtag() override;

  // Opens the editor for the file at fullPath (a list entry's Path + Name) of
  // the entry's Type; returns when the dialog has closed. Nothing is shown for
  // a missing file or one that is not of its format.
  // fullPath holds the file name's bytes as the file system gives them.
  void OpenTagEditor(const std::string& fullPath, const QString& name, const QString& type);
  // An .m4a or .mp4 file of Type "AAC": the MP4 metadata.
  void LoadMp4Tags(const std::string& fullPath, const QString& name);
  // The first genre entry equal to name (case-sensitive); a name not there is
  // appended.
  int GenreIndex(const QString& name);
  // OK: runs the save routine FSaveKind chooses; false (and said so) when the
  // format offers tag kinds and none is checked, so the dialog stays open.
  bool btntagClick();
  // Restores the main window's stay-on-top, releases the MP4 file.
  void FormClose();

  // How the dialog is shown modally; tests replace it to act inside.
  std::function<int()> showModal;

  QGroupBox* gformat;
  QCheckBox *cid3v1, *cid3v2, *capetag;
  QLineEdit *etit, *eart, *ealb, *eyear;
  QComboBox* egen;
  QPlainTextEdit* ecom;
  QPushButton *btntag, *Button2;

  QString FTagFile;  // the file's path as shown
  TagSaveKind FSaveKind = TagSaveKind::None;

 protected:
  void done(int r) override;

 private:
  void ShowOpened(const OpenedTags& opened, const std::string& fullPath, const QString& name);
  void FillFields(const TagValues& values, bool withGenre);
  TagValues CollectFields() const;

  MainWindowLink* link_;
  TagReaders& readers_;
  bool restoreStayOnTop_ = false;
  std::string tagPath_;  // FTagFile's bytes
};
