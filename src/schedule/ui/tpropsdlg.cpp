#include "schedule/ui/tpropsdlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "schedule/task_scheduler.h"
#include "schedule/ui/task_properties_dialog.h"
#include "services/accessible_names.h"
#include "services/app_error.h"
#include "services/message_service.h"
#include "services/named_control.h"

namespace {

QLabel* Caption(const char* text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  if (buddy) accessible::Caption(label, buddy);
  return label;
}

QPlainTextEdit* FixedPitchMemo(const char* name, QWidget* parent) {
  auto* memo = Named(new QPlainTextEdit(parent), name);
  memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  return memo;
}

// Check list texts, in TTaskFlag order.
const char* const kFlagTexts[] = {
    "Interactive",           "Delete When Done",       "Disabled",
    "Hidden",                "Run Only If Logged On",  "Start Only If Idle",
    "System Required",       "Kill On Idle End",       "Restart On Idle Resume",
    "Dont Start If On Batteries", "Kill If Going On Batteries", "Run If Connected To Internet"};
static_assert(std::size(kFlagTexts) == kTaskFlagCount);

}  // namespace

TPropsDlg::TPropsDlg(TTaskScheduler& scheduler, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TPropsDlg"));
  auto* v = new QVBoxLayout(this);
  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  PageControl1->addTab(tsTask = BuildTaskPage(), QStringLiteral("Task"));
  PageControl1->addTab(tsSchedule = BuildSchedulePage(), QStringLiteral("Schedule"));
  PageControl1->addTab(tsSettings = BuildSettingsPage(), QStringLiteral("Settings"));
  PageControl1->addTab(tsCustom = BuildCustomPage(), QStringLiteral("Custom"));
  v->addWidget(PageControl1);

  auto* box = new QDialogButtonBox(this);
  btnOK = Named(box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), "btnOK");
  btnCancel = Named(box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole), "btnCancel");
  btnApply = Named(box->addButton(QStringLiteral("&Apply"), QDialogButtonBox::ApplyRole), "btnApply");
  btnOK->setDefault(true);
  v->addWidget(box);

  TaskPropertiesDialog1 = new TTaskPropertiesDialog(this);
  TaskPropertiesDialog1->setObjectName(QStringLiteral("TaskPropertiesDialog1"));
  TaskPropertiesDialog1->SetPages({TPageType::ptSchedule, TPageType::ptSettings});
  TaskPropertiesDialog1->Options = {TTaskPropDlgOption::otDisplayIcon};
  TaskPropertiesDialog1->TaskScheduler = &scheduler;
  TaskPropertiesDialog1->OnApply = [this](TTaskPropertiesDialog*, TTaskItem*) { TaskPropertiesDialog1Apply(); };

  // Errors of the task library leave the handlers here; show them as the
  // application shows any error.
  const auto guarded = [](auto action) {
    return [action] {
      try {
        action();
      } catch (const EAppError& error) {
        ShowAppError(error.text());
      }
    };
  };
  connect(btnOK, &QPushButton::clicked, this, guarded([this] { btnOKClick(); }));
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnApply, &QPushButton::clicked, this, guarded([this] { btnApplyClick(); }));
  connect(btnBrowse, &QPushButton::clicked, this, guarded([this] { btnBrowseClick(); }));
  connect(btnEdit, &QPushButton::clicked, this, guarded([this] { btnEditClick(); }));
  connect(memData, &QPlainTextEdit::textChanged, this, [this] { dataEdited_ = true; });
  connect(clbFlags, &QListWidget::itemChanged, this, [this] { clbFlagsClickCheck(); });

  PageControl1->setCurrentWidget(tsTask);
}

QWidget* TPropsDlg::BuildTaskPage() {
  auto* page = Named(new QWidget(PageControl1), "tsTask");
  auto* grid = new QGridLayout(page);
  Image1 = Named(new QLabel(page), "Image1");
  Image1->setFixedSize(32, 32);
  edtTaskName = Named(new QLineEdit(page), "edtTaskName");
  edtTaskName->setReadOnly(true);
  edtTaskName->setFrame(false);
  accessible::Name(edtTaskName, QStringLiteral("Task name"));
  grid->addWidget(Image1, 0, 0);
  grid->addWidget(edtTaskName, 0, 1, 1, 2);

  edtApplicationName = Named(new QLineEdit(page), "edtApplicationName");
  edtApplicationName->setReadOnly(true);
  btnBrowse = Named(new QPushButton(QStringLiteral("&Browse..."), page), "btnBrowse");
  edtParameters = Named(new QLineEdit(page), "edtParameters");
  edtWorkDir = Named(new QLineEdit(page), "edtWorkDir");
  edtCreator = Named(new QLineEdit(page), "edtCreator");
  grid->addWidget(Caption("Appl&ication:", edtApplicationName, page), 1, 0);
  grid->addWidget(edtApplicationName, 1, 1);
  grid->addWidget(btnBrowse, 1, 2);
  grid->addWidget(Caption("&Parameters:", edtParameters, page), 2, 0);
  grid->addWidget(edtParameters, 2, 1, 1, 2);
  grid->addWidget(Caption("&Work Dir:", edtWorkDir, page), 3, 0);
  grid->addWidget(edtWorkDir, 3, 1, 1, 2);
  grid->addWidget(Caption("&Creator:", edtCreator, page), 4, 0);
  grid->addWidget(edtCreator, 4, 1, 1, 2);
  grid->setRowStretch(5, 1);
  return page;
}

QWidget* TPropsDlg::BuildSchedulePage() {
  auto* page = Named(new QWidget(PageControl1), "tsSchedule");
  auto* grid = new QGridLayout(page);
  lblLastRunTime = Named(new QLabel(page), "lblLastRunTime");
  lblNextRunTime = Named(new QLabel(page), "lblNextRunTime");
  cbSchedule = Named(new QComboBox(page), "cbSchedule");
  btnEdit = Named(new QPushButton(QStringLiteral("&Edit..."), page), "btnEdit");
  grid->addWidget(Caption("Last Run Time:", nullptr, page), 0, 0);
  grid->addWidget(lblLastRunTime, 0, 1, 1, 2);
  grid->addWidget(Caption("Next Run Time:", nullptr, page), 1, 0);
  grid->addWidget(lblNextRunTime, 1, 1, 1, 2);
  grid->addWidget(Caption("&Schedule:", cbSchedule, page), 2, 0);
  grid->addWidget(cbSchedule, 2, 1);
  grid->addWidget(btnEdit, 2, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);
  return page;
}

QWidget* TPropsDlg::BuildSettingsPage() {
  auto* page = Named(new QWidget(PageControl1), "tsSettings");
  auto* v = new QVBoxLayout(page);
  clbFlags = Named(new QListWidget(page), "clbFlags");
  // Two columns: the list fills top to bottom and wraps.
  clbFlags->setFlow(QListView::TopToBottom);
  clbFlags->setWrapping(true);
  clbFlags->setResizeMode(QListView::Adjust);
  clbFlags->setMinimumHeight(140);
  for (int i = 0; i < kTaskFlagCount; ++i) {
    auto* item = new QListWidgetItem(QString::fromLatin1(kFlagTexts[i]), clbFlags);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    item->setCheckState(Qt::Unchecked);
  }
  // Run Only If Logged On always holds here; idle and wake-up flags cannot
  // be honoured. They keep their stored value.
  clbFlags->item(static_cast<int>(TTaskFlag::tfRunOnlyIfLoggedOn))->setFlags(Qt::ItemIsUserCheckable);
  clbFlags->item(static_cast<int>(TTaskFlag::tfRunOnlyIfLoggedOn))
      ->setToolTip(QStringLiteral("Always in effect on this system"));
  for (TTaskFlag flag : {TTaskFlag::tfStartOnlyIfIdle, TTaskFlag::tfSystemRequired, TTaskFlag::tfKillOnIdleEnd,
                         TTaskFlag::tfRestartOnIdleResume}) {
    QListWidgetItem* item = clbFlags->item(static_cast<int>(flag));
    item->setFlags(Qt::ItemIsUserCheckable);
    item->setToolTip(QStringLiteral("Not available on this system"));
  }
  v->addWidget(Caption("&Flags:", clbFlags, page));
  v->addWidget(clbFlags);

  auto* idle = Named(new QGroupBox(QStringLiteral(" Idle Time: "), page), "gbIdleTime");
  auto* grid = new QGridLayout(idle);
  seIdleMinutes = Named(new QSpinBox(idle), "seIdleMinutes");
  seDeadlineMinutes = Named(new QSpinBox(idle), "seDeadlineMinutes");
  for (QSpinBox* s : {seIdleMinutes, seDeadlineMinutes}) s->setRange(0, 65535);  // 16 bits each
  grid->addWidget(Caption("Minimum idle time:", seIdleMinutes, idle), 0, 0);
  grid->addWidget(seIdleMinutes, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("minute(s)"), idle), 0, 2);
  grid->addWidget(Caption("Wait for idle-time:", seDeadlineMinutes, idle), 1, 0);
  grid->addWidget(seDeadlineMinutes, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("minute(s)"), idle), 1, 2);
  v->addWidget(idle);

  auto* row = new QHBoxLayout;
  cbPriority = Named(new QComboBox(page), "cbPriority");
  cbPriority->addItems({QStringLiteral("Idle"), QStringLiteral("Normal"), QStringLiteral("High"),
                        QStringLiteral("Real Time")});
  row->addWidget(Caption("P&riority:", cbPriority, page));
  row->addWidget(cbPriority);
  row->addStretch();
  v->addLayout(row);
  return page;
}

QWidget* TPropsDlg::BuildCustomPage() {
  auto* page = Named(new QWidget(PageControl1), "tsCustom");
  auto* v = new QVBoxLayout(page);
  memComments = FixedPitchMemo("memComments", page);
  memData = FixedPitchMemo("memData", page);
  v->addWidget(Caption("&Comments:", memComments, page));
  v->addWidget(memComments);
  v->addWidget(Caption("&Binary Data:", memData, page));
  v->addWidget(memData);
  return page;
}
