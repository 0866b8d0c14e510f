// The recordings list of the main window: the rows (kept in display order in
// FRecordingRows and shown in Reclist), the list file, a finished recording's
// row, sorting, the list's controls and the file actions.
#include <QDir>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTreeWidget>

#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/tfrmtag.h"
#include "library/file_actions.h"
#include "library/recording_list.h"
#include "services/desktop.h"
#include "services/message_service.h"
#include "services/size_text.h"

namespace {

// The desktop's icon for a file with that name's extension (by name only;
// the file is not opened).
QIcon SystemIconFor(const std::string& name) {
  static QMimeDatabase mimes;
  const QMimeType type = mimes.mimeTypeForFile(ShownText(name), QMimeDatabase::MatchExtension);
  return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
}

}  // namespace

void Tfrmmain::ShowRecordingRows() {
  std::vector<int> selected = SelectedRows();
  Reclist->clear();
  for (const RecordingListEntry& e : FRecordingRows) {
    auto* item = new QTreeWidgetItem(QStringList{ShownText(e.Name), QString::fromStdString(e.Length),
                                                 QString::fromStdString(e.Size), QString::fromStdString(e.Type),
                                                 ShownText(e.Path)});
    item->setIcon(0, SystemIconFor(e.Name));
    Reclist->addTopLevelItem(item);
  }
  for (int row : selected)
    if (row < Reclist->topLevelItemCount()) Reclist->topLevelItem(row)->setSelected(true);
}

std::vector<int> Tfrmmain::SelectedRows() const {
  std::vector<int> rows;
  for (int i = 0; i < Reclist->topLevelItemCount(); ++i)
    if (Reclist->topLevelItem(i)->isSelected()) rows.push_back(i);
  return rows;
}

const RecordingListEntry* Tfrmmain::SelectedEntry() const {
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? nullptr : &FRecordingRows[static_cast<std::size_t>(rows.front())];
}

void Tfrmmain::SelectOnly(int row) {
  Reclist->clearSelection();
  if (row >= 0 && row < Reclist->topLevelItemCount()) {
    Reclist->topLevelItem(row)->setSelected(true);
    Reclist->setCurrentItem(Reclist->topLevelItem(row), 0, QItemSelectionModel::NoUpdate);
  }
  ReclistClick();
}

void Tfrmmain::LoadRecordingList() {
  const QString path = RecordingListPath(FWorkFolder);
  const RecordingListLoad load = ::LoadRecordingList(path);
  if (!load.found) return;
  // A list that cannot be read is never replaced by what this run lists:
  // that is saved into it once it can be read again.
  FListUnread = !load.error.isEmpty();
  if (FListUnread) {
    Messages().show(MsgKind::Error,
                    QStringLiteral("The recordings list %1 cannot be read (%2). It is left as it is; the recordings "
                                   "of this session are added to it once it can be read.")
                        .arg(path, load.error),
                    MsgButtons::Ok);
    return;
  }
  FRecordingRows = load.rows;
  SortRecordingList(FRecordingRows, FSortColumn);
  ShowRecordingRows();
  ReclistClick();
}

bool Tfrmmain::SaveRecordingList() {
  if (FListUnread) {
    const RecordingListLoad load = ::LoadRecordingList(RecordingListPath(FWorkFolder));
    if (load.found && !load.error.isEmpty()) return false;  // still unreadable: said at the start
    RecordingRows rows = load.rows;
    MergeRecordingRows(rows, FRecordingRows);
    FRecordingRows = std::move(rows);
    SortRecordingList(FRecordingRows, FSortColumn);
    ShowRecordingRows();
    FListUnread = false;
  }
  const RecordingListSave save = ::SaveRecordingList(RecordingListPath(FWorkFolder), FRecordingRows);
  if (!save.ok) Messages().show(MsgKind::Error, save.message, MsgButtons::Ok);
  return save.ok;
}

void Tfrmmain::AddFinishedRecording() { AddFinishedRecording(true); }

void Tfrmmain::AddFinishedRecording(bool mayPlay) {
  AddFinishedFile(FLastRecordedFile, lrlength->text(), cformat->currentText(), mayPlay);
}

// A file a recording finished: by a stop, or by a split while the recording
// goes on (then the size display keeps showing the running file).
void Tfrmmain::AddFinishedFile(const QString& file, const QString& length, const QString& type, bool mayPlay) {
  const FinishedRecording finished{FileNameBytes(file), length.toStdString(), FileSizeText(file).toStdString(),
                                   type.toStdString()};
  const FinishedRecordingAdded added = ::AddFinishedRecording(FRecordingRows, finished);
  if (added.change == FinishedRecordingAdded::Change::Unlistable) {
    Messages().show(MsgKind::Information,
                    QStringLiteral("%1 is kept but not listed: its name or folder holds \"|\" or a line break, "
                                   "which the recordings list cannot hold.")
                        .arg(file),
                    MsgButtons::Ok);
    return;
  }
  if (added.change == FinishedRecordingAdded::Change::None) return;
  if (FRecordChannel == 0) lrsize->setText(QString::fromStdString(finished.size));
  // An appended row takes its place in the sort order; a refreshed one stays.
  const RecordingListEntry entry = FRecordingRows[static_cast<std::size_t>(added.row)];
  if (added.change == FinishedRecordingAdded::Change::Appended) SortRecordingList(FRecordingRows, FSortColumn);
  SaveRecordingList();  // may bring in the rows of a list that can be read again
  ShowRecordingRows();
  SelectOnly(FindListedFile(FRecordingRows, entry.fullPath()));
  // Opened when the window is collapsed or shows the task list; hidden in
  // the tray it keeps the panel it had.
  if (OpenListPanel() != 1) btnreclistClick();
  if (!mayPlay || !frmoption_) return;
  if (PlayAfterStop(cdar->isChecked(), frmoption_->cslientnew->isChecked(), frmoption_->csplitnew->isChecked(),
                    frmoption_->cplay->isChecked()))
    ReclistDblClick();
}

void Tfrmmain::ReclistClick() {
  ListControlInput in;
  in.rowCount = static_cast<int>(FRecordingRows.size());
  for (int row : SelectedRows()) in.selectedTypes.push_back(FRecordingRows[static_cast<std::size_t>(row)].Type);
  in.editorPresent = EditorPresent(FEditorFolder);
  in.vistaOrLater = FVistaOrLater;
  const RecordingListEntry* selected = SelectedEntry();
  in.selectedIsRecording = selected && FEngine->running() && selected->fullPath() == FileNameBytes(FLastRecordedFile);
  const ListControlStates s = ListControlStatesFor(in);
  btnplay->setEnabled(s.play);
  menuplay->setEnabled(s.play);
  btndel->setEnabled(s.del);
  menudel->setEnabled(s.del);
  menuclear->setEnabled(s.clear);
  btntagedit->setEnabled(s.tag);
  menutag->setEnabled(s.tag);
  menumail->setEnabled(s.mail);
  menumail->setVisible(s.mailVisible);
  menucopy->setEnabled(s.copy);
  btngoto->setEnabled(s.goTo);
  menugoto->setEnabled(s.goTo);
  // Without the editor the item keeps the state it was given at start.
  if (in.editorPresent) Editaudio1->setEnabled(s.editAudio);
}

void Tfrmmain::PopupMenu1Popup() { ReclistClick(); }

void Tfrmmain::ReclistColumnClick(int column) {
  FSortColumn = column;
  std::vector<RecordingListEntry> selected;
  for (int row : SelectedRows()) selected.push_back(FRecordingRows[static_cast<std::size_t>(row)]);
  SortRecordingList(FRecordingRows, FSortColumn);
  ShowRecordingRows();
  Reclist->clearSelection();
  for (const RecordingListEntry& e : selected) {
    const int row = FindListedFile(FRecordingRows, e.fullPath());
    if (row >= 0) Reclist->topLevelItem(row)->setSelected(true);
  }
}

void Tfrmmain::menudelClick() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) FRecordingRows.erase(FRecordingRows.begin() + *it);
  ShowRecordingRows();
  Reclist->clearSelection();
  ReclistClick();
  SaveRecordingList();
}

void Tfrmmain::menuclearClick() {
  if (Messages().show(MsgKind::Confirmation, QStringLiteral("Are you sure clear record file list?"),
                      MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  FRecordingRows.clear();
  ShowRecordingRows();
  ReclistClick();
  SaveRecordingList();
}

std::vector<std::string> Tfrmmain::SelectedPaths() const {
  std::vector<std::string> paths;
  for (int row : SelectedRows()) paths.push_back(FRecordingRows[static_cast<std::size_t>(row)].fullPath());
  return paths;
}

void Tfrmmain::menucopyClick() {
  const std::vector<std::string> paths = SelectedPaths();
  if (paths.empty()) return;
  const QString folder =
      TheDesktop().browseFolder(this, QStringLiteral("Please select folder that you copy to"), QDir::homePath());
  if (folder.isEmpty()) return;
  // The copy runs on a worker; the window stays responsive and reports once
  // it is done.
  auto* watcher = new QFutureWatcher<CopyReport>(this);
  connect(watcher, &QFutureWatcher<CopyReport>::finished, this, [this, watcher] {
    const CopyReport report = watcher->result();
    watcher->deleteLater();
    if (!report.messages.isEmpty())
      Messages().show(MsgKind::Error, report.messages.join(QStringLiteral("\n")), MsgButtons::Ok);
  });
  watcher->setFuture(StartCopyFilesTo(paths, FileNameBytes(folder)));
}

void Tfrmmain::menugotoClick() {
  if (const RecordingListEntry* e = SelectedEntry()) TheDesktop().open(ShownText(e->Path));
}

void Tfrmmain::menumailClick() {
  const std::vector<std::string> paths = SelectedPaths();
  if (paths.empty()) return;
  if (!MailFiles(paths)) Messages().show(MsgKind::Error, QStringLiteral("send mail ERROR"), MsgButtons::Ok);
}

void Tfrmmain::CreateInfoReaders() {
  FInfoReaders = std::make_unique<TagReaders>();
  frmtag_ = std::make_unique<Tfrmtag>(this, *FInfoReaders, this);
}

void Tfrmmain::menutagClick() {
  const RecordingListEntry* e = SelectedEntry();
  if (!e || !frmtag_) return;
  // The file being recorded is still growing: its tags wait for the stop.
  if (FEngine->running() && e->fullPath() == FileNameBytes(FLastRecordedFile)) return;
  frmtag_->OpenTagEditor(e->fullPath(), ShownText(e->Name), QString::fromStdString(e->Type));
}

void Tfrmmain::Editaudio1Click() { EditAudio(FEditorFolder, SelectedPaths()); }

void Tfrmmain::SoundEditor1Click() { RunSoundEditor(FEditorFolder); }

// The companion editor is looked up once, at the first show.
void Tfrmmain::FindSoundEditor() {
  FEditorFolder = ReadEditorFolder();
  const bool present = EditorPresent(FEditorFolder);
  SoundEditor1->setEnabled(present);
  Editaudio1->setEnabled(present);
}
