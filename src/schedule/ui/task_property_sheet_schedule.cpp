#include "schedule/ui/task_property_sheet_schedule.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <iterator>

#include "schedule/trigger_text.h"
#include "schedule/ui/trigger_panels.h"
#include "services/accessible_names.h"

namespace {

using schedule::TASK_TRIGGER;

// cbKind lines, in order, and the trigger type each stands for.
struct Kind {
  const char* text;
  int type;
};
constexpr Kind kKinds[] = {
    {"Once", schedule::TASK_TIME_TRIGGER_ONCE},
    {"Daily", schedule::TASK_TIME_TRIGGER_DAILY},
    {"Weekly", schedule::TASK_TIME_TRIGGER_WEEKLY},
    {"Monthly", schedule::TASK_TIME_TRIGGER_MONTHLYDATE},
    {"At system startup", schedule::TASK_EVENT_TRIGGER_AT_SYSTEMSTART},
    {"At logon", schedule::TASK_EVENT_TRIGGER_AT_LOGON},
    {"When idle", schedule::TASK_EVENT_TRIGGER_ON_IDLE},
};
constexpr int kIdleKindIndex = 6;

bool IsTimeType(int type) { return type >= 0 && type <= static_cast<int>(schedule::TASK_TIME_TRIGGER_MONTHLYDOW); }

QDate BeginDate(const TASK_TRIGGER& t) { return QDate(t.wBeginYear, t.wBeginMonth, t.wBeginDay); }

}  // namespace

int TaskSchedulePage::KindType(int kindIndex) {
  if (kindIndex < 0 || kindIndex >= static_cast<int>(std::size(kKinds))) return schedule::TASK_TIME_TRIGGER_ONCE;
  return kKinds[kindIndex].type;
}

int TaskSchedulePage::KindIndex(int triggerType) {
  if (triggerType == schedule::TASK_TIME_TRIGGER_MONTHLYDOW) triggerType = schedule::TASK_TIME_TRIGGER_MONTHLYDATE;
  for (int i = 0; i < static_cast<int>(std::size(kKinds)); ++i)
    if (kKinds[i].type == triggerType) return i;
  return 0;
}

TaskSchedulePage::TaskSchedulePage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tsSchedule"));
  auto* v = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  cbTriggers = new QComboBox(this);
  cbTriggers->setObjectName(QStringLiteral("cbTriggers"));
  cbTriggers->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  btnNew = new QPushButton(QStringLiteral("New"), this);
  btnNew->setObjectName(QStringLiteral("btnNew"));
  btnDelete = new QPushButton(QStringLiteral("Delete"), this);
  btnDelete->setObjectName(QStringLiteral("btnDelete"));
  accessible::Name(cbTriggers, QStringLiteral("Schedules"),
                   QStringLiteral("The task's schedules; the one chosen shows below"));
  accessible::Name(btnNew, btnNew->text(), QStringLiteral("Adds a schedule"));
  accessible::Name(btnDelete, btnDelete->text(), QStringLiteral("Deletes the chosen schedule"));
  top->addWidget(cbTriggers, 1);
  top->addWidget(btnNew);
  top->addWidget(btnDelete);
  v->addLayout(top);

  auto* kindRow = new QHBoxLayout;
  auto* kindLabel = new QLabel(QStringLiteral("S&chedule task:"), this);
  cbKind = new QComboBox(this);
  cbKind->setObjectName(QStringLiteral("cbKind"));
  for (const Kind& k : kKinds) cbKind->addItem(QString::fromLatin1(k.text));
  // Idle triggers cannot fire here; a stored one is still shown.
  if (auto* model = qobject_cast<QStandardItemModel*>(cbKind->model())) {
    QStandardItem* idle = model->item(kIdleKindIndex);
    idle->setEnabled(false);
    idle->setToolTip(QStringLiteral("Not available on this system"));
  }
  kindLabel->setBuddy(cbKind);
  kindRow->addWidget(kindLabel);
  kindRow->addWidget(cbKind);
  kindRow->addStretch();
  v->addLayout(kindRow);

  panels = new TriggerPanels(this);
  v->addWidget(panels);

  auto* endRow = new QHBoxLayout;
  chkEndDate = new QCheckBox(QStringLiteral("E&nd date:"), this);
  chkEndDate->setObjectName(QStringLiteral("chkEndDate"));
  dtEndDate = new QDateEdit(QDate::currentDate(), this);
  dtEndDate->setObjectName(QStringLiteral("dtEndDate"));
  dtEndDate->setCalendarPopup(true);
  dtEndDate->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  accessible::Name(dtEndDate, chkEndDate->text());
  endRow->addWidget(chkEndDate);
  endRow->addWidget(dtEndDate);
  endRow->addStretch();
  v->addLayout(endRow);
  v->addStretch();

  connect(cbTriggers, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (loading_ || index == current_) return;
    StoreShown();
    ShowTrigger(index);
  });
  connect(cbKind, &QComboBox::currentIndexChanged, this, [this] { KindChosen(); });
  connect(panels, &TriggerPanels::changed, this, [this] { ControlsEdited(); });
  // The panels report boxes and choices; times, dates and counts are watched here.
  for (QSpinBox* spin : panels->findChildren<QSpinBox*>())
    connect(spin, &QSpinBox::valueChanged, this, [this] { ControlsEdited(); });
  for (QDateTimeEdit* edit : panels->findChildren<QDateTimeEdit*>())
    connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this] { ControlsEdited(); });
  connect(chkEndDate, &QCheckBox::toggled, this, [this] { ControlsEdited(); });
  connect(dtEndDate, &QDateEdit::dateChanged, this, [this] { ControlsEdited(); });
  connect(btnNew, &QPushButton::clicked, this, [this] { NewTrigger(); });
  connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteTrigger(); });
  UpdateEnabled();
}

void TaskSchedulePage::Load(const std::vector<TASK_TRIGGER>& triggers) {
  triggers_ = triggers;
  current_ = -1;
  RefreshTexts();
  ShowTrigger(triggers_.empty() ? -1 : 0);
  changed_ = false;
}

bool TaskSchedulePage::Collect(std::vector<TASK_TRIGGER>& triggers) {
  StoreShown();
  const int shown = current_;
  // The panels judge only what they show: each time trigger is shown in
  // turn, and an incomplete one stays shown.
  for (int i = 0; i < static_cast<int>(triggers_.size()); ++i) {
    const int type = triggers_[static_cast<std::size_t>(i)].TriggerType;
    if (!IsTimeType(type)) continue;
    if (i != current_) ShowTrigger(i);
    if (!panels->CanGoOn(type)) return false;
  }
  if (current_ != shown) ShowTrigger(shown);
  triggers = triggers_;
  return true;
}

void TaskSchedulePage::ShowTrigger(int index) {
  loading_ = true;
  current_ = index;
  cbTriggers->setCurrentIndex(index);
  if (index >= 0) {
    const TASK_TRIGGER& t = triggers_[static_cast<std::size_t>(index)];
    cbKind->setCurrentIndex(KindIndex(t.TriggerType));
    if (IsTimeType(t.TriggerType)) panels->LoadTrigger(t);
    const bool hasEnd = t.rgFlags & schedule::TASK_TRIGGER_FLAG_HAS_END_DATE;
    const QDate end(t.wEndYear, t.wEndMonth, t.wEndDay);
    chkEndDate->setChecked(hasEnd);
    dtEndDate->setDate(end.isValid() ? end : BeginDate(t).isValid() ? BeginDate(t) : QDate::currentDate());
  }
  loading_ = false;
  UpdateEnabled();
}

// The shown controls into the trigger they show.
void TaskSchedulePage::StoreShown() {
  if (current_ < 0 || current_ >= static_cast<int>(triggers_.size())) return;
  TASK_TRIGGER& t = triggers_[static_cast<std::size_t>(current_)];
  const int kind = KindType(cbKind->currentIndex());
  if (IsTimeType(kind))
    panels->FillTrigger(t, panels->ChosenType(kind));
  else
    t.TriggerType = static_cast<schedule::TASK_TRIGGER_TYPE>(kind);
  if (chkEndDate->isChecked()) {
    const QDate end = dtEndDate->date();
    t.rgFlags |= schedule::TASK_TRIGGER_FLAG_HAS_END_DATE;
    t.wEndYear = static_cast<schedule::WORD>(end.year());
    t.wEndMonth = static_cast<schedule::WORD>(end.month());
    t.wEndDay = static_cast<schedule::WORD>(end.day());
  } else {
    t.rgFlags &= ~schedule::TASK_TRIGGER_FLAG_HAS_END_DATE;
  }
}

void TaskSchedulePage::RefreshTexts() {
  const bool wasLoading = loading_;
  loading_ = true;
  const int shown = current_;
  while (cbTriggers->count() > static_cast<int>(triggers_.size())) cbTriggers->removeItem(cbTriggers->count() - 1);
  for (int i = 0; i < static_cast<int>(triggers_.size()); ++i) {
    const QString text =
        QStringLiteral("%1. %2").arg(i + 1).arg(schedule::TriggerText(triggers_[static_cast<std::size_t>(i)]));
    if (i < cbTriggers->count())
      cbTriggers->setItemText(i, text);
    else
      cbTriggers->addItem(text);
  }
  cbTriggers->setCurrentIndex(shown);
  loading_ = wasLoading;
}

void TaskSchedulePage::KindChosen() {
  if (loading_) return;
  const int kind = KindType(cbKind->currentIndex());
  if (IsTimeType(kind)) panels->ShowPanelFor(kind);
  ControlsEdited();
}

void TaskSchedulePage::ControlsEdited() {
  UpdateEnabled();
  if (loading_ || current_ < 0) return;
  StoreShown();
  RefreshTexts();
  changed_ = true;
  emit changed();
}

void TaskSchedulePage::NewTrigger() {
  StoreShown();
  TASK_TRIGGER t;
  std::memset(static_cast<void*>(&t), 0, sizeof t);  // the type part's unused bytes too
  t.cbTriggerSize = sizeof t;
  const QDate today = QDate::currentDate();
  t.TriggerType = schedule::TASK_TIME_TRIGGER_DAILY;
  t.Type.Daily.DaysInterval = 1;
  t.wBeginYear = static_cast<schedule::WORD>(today.year());
  t.wBeginMonth = static_cast<schedule::WORD>(today.month());
  t.wBeginDay = static_cast<schedule::WORD>(today.day());
  t.wStartHour = 9;
  triggers_.push_back(t);
  current_ = static_cast<int>(triggers_.size()) - 1;
  RefreshTexts();
  ShowTrigger(current_);
  changed_ = true;
  emit changed();
}

void TaskSchedulePage::DeleteTrigger() {
  if (current_ < 0) return;
  triggers_.erase(triggers_.begin() + current_);
  const int next = std::min(current_, static_cast<int>(triggers_.size()) - 1);
  current_ = -1;
  RefreshTexts();
  ShowTrigger(next);
  changed_ = true;
  emit changed();
}

void TaskSchedulePage::UpdateEnabled() {
  const bool any = current_ >= 0;
  btnDelete->setEnabled(any);
  cbKind->setEnabled(any);
  chkEndDate->setEnabled(any);
  dtEndDate->setEnabled(any && chkEndDate->isChecked());
  panels->setVisible(any && IsTimeType(KindType(cbKind->currentIndex())));
}
