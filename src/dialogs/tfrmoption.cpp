#include "dialogs/tfrmoption.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include "dialogs/main_window_link.h"
#include "services/app_error.h"
#include "services/desktop.h"
#include "services/message_service.h"
#include "services/paths.h"

Tfrmoption::Tfrmoption(MainWindowLink* link, QWidget* parent) : QDialog(parent), link_(link) {
  setObjectName(QStringLiteral("frmoption"));
  setWindowTitle(QStringLiteral("Options"));
  BuildFrame();
  BuildTree();
  BuildDarPage();
  BuildOutputPage();
  BuildMiscPage();
  BuildSplitPage();
  BuildCompressorPage();
  BuildAgcPage();
  BuildFiltersPage();
  BuildHotkeyPage();
  BuildMp3Page();
  BuildWmaPage();
  BuildOggPage();
  BuildLosslessPage();
  BuildAacPage();
  BuildMpcPage();
  BuildSpeexPage();
  BuildButtons();
  BuildSettingsTable();
  FillSpeexBitrateList();
  ConnectRules();
  ConnectLabels();
  NameControls();
  FNodes[DspNode]->setExpanded(true);
  treeopt->setCurrentItem(FNodes[0]);
  FitFrame();
}

Tfrmoption::~Tfrmoption() = default;

// Geometry is set by FitFrame once the pages exist.
void Tfrmoption::BuildFrame() {
  treeopt = new QTreeWidget(this);
  treeopt->setObjectName(QStringLiteral("treeopt"));
  treeopt->setHeaderHidden(true);
  treeopt->setEditTriggers(QAbstractItemView::NoEditTriggers);
  treeopt->setItemsExpandable(false);  // the tree never collapses
  treeopt->setRootIsDecorated(true);

  PageControl1 = new QStackedWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
}

// Made after the pages, so that Tab reaches them after the page above them.
void Tfrmoption::BuildButtons() {
  const struct {
    QPushButton** button;
    const char* name;
    const char* caption;
  } buttons[] = {{&btndall, "btndall", "Default All"},
                 {&btndef, "btndef", "Default"},
                 {&btnok, "btnok", "Ok"},
                 {&btncancel, "btncancel", "Cancel"}};
  for (const auto& b : buttons) {
    *b.button = new QPushButton(QString::fromLatin1(b.caption), this);
    (*b.button)->setObjectName(QLatin1String(b.name));
    (*b.button)->setAutoDefault(false);
  }
  connect(btndall, &QPushButton::clicked, this, &Tfrmoption::OnDefaultAll);
  connect(btndef, &QPushButton::clicked, this, &Tfrmoption::OnDefault);
  connect(btnok, &QPushButton::clicked, this, &Tfrmoption::OnOk);
  connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrmoption::BuildTree() {
  static const char* const captions[OptionNodeCount] = {
      "DAR TM", "Output", "Misc", "Split Recording", "DSP", "Compressor", "AGC", "Filters",
      "Hot Key", "MP3", "WMA", "OGG", "Lossless Codec", "AAC", "MPC", "Speex"};
  FNodes.resize(OptionNodeCount);
  for (int i = 0; i < OptionNodeCount; ++i) {
    const bool child = i > DspNode && i <= DspNode + 3;
    auto* item = child ? new QTreeWidgetItem(FNodes[DspNode]) : new QTreeWidgetItem(treeopt);
    item->setText(0, QString::fromLatin1(captions[i]));
    FNodes[i] = item;
  }
  connect(treeopt, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnTreeSelection(current); });
  // A collapse request (keyboard, program) is refused by expanding again.
  connect(treeopt, &QTreeWidget::itemCollapsed, this,
          [](QTreeWidgetItem* item) { item->setExpanded(true); });
}

QWidget* Tfrmoption::AddPage(const char* name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(QLatin1String(name));
  page->setWindowTitle(caption);  // the sheet's caption; the tabs themselves are hidden
  PageControl1->addWidget(page);
  return page;
}

QButtonGroup* Tfrmoption::MakeGroup(std::initializer_list<QRadioButton*> buttons) {
  auto* group = new QButtonGroup(this);
  for (QRadioButton* b : buttons) group->addButton(b);
  return group;
}

int Tfrmoption::NodeIndex(const QTreeWidgetItem* item) const {
  for (int i = 0; i < int(FNodes.size()); ++i)
    if (FNodes[i] == item) return i;
  return -1;
}

void Tfrmoption::SelectNode(int node) {
  if (node >= 0 && node < OptionNodeCount) treeopt->setCurrentItem(FNodes[node]);
}

void Tfrmoption::ShowPage(int page) {
  const int node = NodeOfPage(page);
  if (node < 0) return;
  SelectNode(node);
  PageControl1->setCurrentIndex(page);
}

void Tfrmoption::OnTreeSelection(QTreeWidgetItem* current) {
  const int page = PageOfNode(NodeIndex(current));
  if (page >= 0) PageControl1->setCurrentIndex(page);  // "DSP" keeps the page shown
}

void Tfrmoption::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  OnPageShown(PageControl1->currentIndex());
}

void Tfrmoption::PrepareOpenFromMain() {
  Tag = 0;
  if (link_->IsStayOnTop()) {
    link_->SetStayOnTop(false);
    Tag = 1;
  }
}

int Tfrmoption::ShowModalFromMain() {
  PrepareOpenFromMain();
  return exec();
}

void Tfrmoption::ApplyTagOnClose() {
  if (Tag == 1) link_->SetStayOnTop(true);
  else if (Tag == 2) link_->SetStayOnTop(false);
  Tag = 0;
}

void Tfrmoption::done(int r) {
  QDialog::done(r);
  ApplyTagOnClose();
}

void Tfrmoption::OnFolderButton() {
  const QString chosen =
      TheDesktop().browseFolder(this, QStringLiteral("Please select folder which your recording file output"),
                                WithTrailingBackslash(QDir::homePath(), true));
  if (chosen.isEmpty()) return;  // cancelled: nothing changes
  Efolder->setText(WithTrailingBackslash(chosen, true));
  link_->SetOutputFolder(Efolder->text());
}

void Tfrmoption::OnOk() {
  link_->UpdateFormatInfo();
  try {
    SaveSettings();
  } catch (const EAppError& e) {
    // The dialog stays open so that the user can retry or cancel.
    ShowAppError(e.text());
    return;
  }
  accept();
}

// The hotkey page's default writes the file; a failing write is reported.
void Tfrmoption::OnDefault() {
  try {
    ResetPageDefaults(PageControl1->currentIndex());
  } catch (const EAppError& e) {
    ShowAppError(e.text());
  }
}

void Tfrmoption::OnDefaultAll() {
  try {
    for (int page = 0; page < OptionPageCount; ++page) ResetPageDefaults(page);
  } catch (const EAppError& e) {
    ShowAppError(e.text());
  }
}

bool Tfrmoption::eventFilter(QObject* watched, QEvent* event) {
  const bool digitEdit = watched == emp3abr || watched == esplitcl || watched == esplitcs;
  if (digitEdit && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Typed characters other than digits and backspace are dropped (control
    // characters such as Ctrl+V included); keys that move the focus, close the
    // dialog or only move the cursor pass.
    const bool dialogKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                           key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                           key->key() == Qt::Key_Escape;
    if (!dialogKey && !text.isEmpty() && !IsDigitEditChar(text.at(0))) return true;
  }
  if (watched == emp3abr && event->type() == QEvent::Leave) {
    const QString clamped = ClampAbrText(emp3abr->text());
    if (clamped != emp3abr->text()) emp3abr->setText(clamped);
  }
  return QDialog::eventFilter(watched, event);
}
