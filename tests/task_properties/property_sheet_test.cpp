// The property sheet component: its errors, its pages and title, and what
// its OK, Apply and Cancel write to the task.
#include <QStandardItemModel>

#include "props_fixture.h"
#include "schedule/ui/task_properties_dialog.h"
#include "schedule/ui/task_property_sheet.h"
#include "schedule/ui/task_property_sheet_schedule.h"
#include "schedule/ui/trigger_panels.h"

namespace {

using namespace zovedu_test;

QString ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EAppError& error) {
    return error.text();
  }
  return QString();
}

class PropertySheetTest : public PropsFixture {
 protected:
  PropertySheetTest() { dialog.TaskScheduler = scheduler.get(); }

  // Execute with `act` run on the shown sheet.
  bool ExecuteWith(const QString& taskName, std::function<void(TaskPropertySheet&)> act) {
    dialog.TaskName = taskName;
    auto watch = WhenModal("TaskPropertySheet", [&act](QDialog& d) { act(static_cast<TaskPropertySheet&>(d)); });
    return dialog.Execute();
  }

  TTaskPropertiesDialog dialog;
};

TEST_F(PropertySheetTest, Errors) {
  Store();
  TTaskPropertiesDialog noScheduler;
  noScheduler.TaskName = "Morning";
  EXPECT_EQ(ErrorOf([&] { noScheduler.Execute(); }), "Task Scheduler not found.");
  dialog.TaskName = "Evening";
  EXPECT_EQ(ErrorOf([&] { dialog.Execute(); }), "Could not activate the task \"Evening\".");

  dialog.SetPages({TPageType::ptTask});
  EXPECT_EQ(ErrorOf([&] { dialog.SetPages({}); }), "At least one page must be specified.");
  EXPECT_EQ(dialog.Pages(), TPageTypes{TPageType::ptTask});

  TTaskItem* idle = Listed();  // not activated
  EXPECT_EQ(ErrorOf([&] { ShowPropertySheet(*idle, nullptr, {TPageType::ptTask}, "x"); }),
            "Task \"Morning\" is not activated.");
}

TEST_F(PropertySheetTest, PagesTitleAndApplyButtonFollowTheProperties) {
  struct Case {
    TPageTypes pages;
    TTaskPropDlgOptions options;
    QString caption;
    QStringList tabs;
    QString title;
    bool apply;
  };
  const Case cases[] = {
      {{TPageType::ptSettings, TPageType::ptTask}, {}, "", {"Task", "Settings"}, "Morning Properties", true},
      {{TPageType::ptSchedule},
       {TTaskPropDlgOption::otNoApplyNow},
       "Recording",
       {"Schedule"},
       "Recording",
       false},
  };
  Store();
  for (const Case& c : cases) {
    dialog.SetPages(c.pages);
    dialog.Options = c.options;
    dialog.Caption = c.caption;
    const bool saved = ExecuteWith("Morning.job", [&c](TaskPropertySheet& s) {
      QStringList tabs;
      for (int i = 0; i < s.tabs->count(); ++i) tabs << s.tabs->tabText(i);
      EXPECT_EQ(tabs, c.tabs);
      EXPECT_EQ(s.windowTitle(), c.title);
      EXPECT_EQ(s.btnApply->isVisibleTo(&s), c.apply);
      s.btnOK->click();  // nothing edited: nothing saved
    });
    EXPECT_FALSE(saved);
    EXPECT_TRUE(store->saveLog.empty());
    EXPECT_TRUE(Listed()->Activated());  // the caller deactivates
    Listed()->Deactivate(false);
  }
}

TEST_F(PropertySheetTest, ApplyWritesAnEditedTriggerAndCancelKeepsIt) {
  Store();
  std::vector<int> typesSeenOnApply;
  dialog.OnApply = [&](TTaskPropertiesDialog* sender, TTaskItem* task) {
    EXPECT_EQ(sender, &dialog);
    typesSeenOnApply.push_back(task->Triggers().Items(0).Trigger.TriggerType);
  };
  const bool saved = ExecuteWith("Morning", [](TaskPropertySheet& s) {
    EXPECT_FALSE(s.btnApply->isEnabled());
    s.tsSchedule->cbKind->setCurrentIndex(1);  // Weekly -> Daily
    s.tsSchedule->panels->rbEveryDays->setChecked(true);
    s.tsSchedule->panels->seIntervalDaily->setValue(3);
    EXPECT_TRUE(s.tsSchedule->cbTriggers->currentText().startsWith("1. At 09:05 every 3 days"))
        << s.tsSchedule->cbTriggers->currentText().toStdString();
    s.btnApply->click();
    s.tsSchedule->cbKind->setCurrentIndex(0);  // not applied
    s.btnCancel->click();
  });
  EXPECT_TRUE(saved);
  EXPECT_EQ(typesSeenOnApply, std::vector<int>{schedule::TASK_TIME_TRIGGER_DAILY});
  ASSERT_EQ(Stored().triggers.size(), 1u);
  const schedule::TASK_TRIGGER& t = Stored().triggers[0];
  EXPECT_EQ(t.TriggerType, schedule::TASK_TIME_TRIGGER_DAILY);
  EXPECT_EQ(t.Type.Daily.DaysInterval, 3);
  EXPECT_EQ(t.wStartHour, 9);
  EXPECT_EQ(t.wStartMinute, 5);
  // The task's own triggers were re-read from what was saved.
  EXPECT_EQ(Listed()->Triggers().Items(0).Trigger.TriggerType, schedule::TASK_TIME_TRIGGER_DAILY);
}

TEST_F(PropertySheetTest, OkWritesTaskAndSettingsPagesAndKeepsWhatTheyCannotShow) {
  schedule::TaskRecord expected = Store();
  expected.applicationName = "/usr/bin/other";
  expected.parameters = "-x";
  expected.workingDirectory = "/w";
  expected.comment = "new";
  // Disabled on; Delete When Done off; batteries swapped; idle and wake-up kept.
  expected.flags = schedule::TASK_FLAG_HIDDEN | schedule::TASK_FLAG_SYSTEM_REQUIRED |
                   schedule::TASK_FLAG_DISABLED | schedule::TASK_FLAG_DONT_START_IF_ON_BATTERIES;
  dialog.SetPages({TPageType::ptTask, TPageType::ptSchedule, TPageType::ptSettings});
  const bool saved = ExecuteWith("Morning", [](TaskPropertySheet& s) {
    EXPECT_FALSE(s.chkWake->isEnabled());
    EXPECT_TRUE(s.chkWake->isChecked());
    EXPECT_EQ(s.seIdleMinutes->value(), 10);
    EXPECT_EQ(s.chkStartOnlyIfIdle->toolTip(), "Not available on this system");
    s.edtApplication->setText("/usr/bin/other");
    s.edtParameters->setText("-x");
    s.edtWorkDir->setText("/w");
    s.memComment->setPlainText("new");
    s.chkEnabled->setChecked(false);
    s.chkDeleteWhenDone->setChecked(false);
    s.chkDontStartOnBatteries->setChecked(true);
    s.chkKillOnBatteries->setChecked(false);
    s.btnOK->click();
  });
  EXPECT_TRUE(saved);
  EXPECT_EQ(Stored(), expected);
}

TEST_F(PropertySheetTest, TriggersAreAddedDeletedAndRefusedWhenIncomplete) {
  Store();
  const bool saved = ExecuteWith("Morning", [this](TaskPropertySheet& s) {
    TaskSchedulePage& page = *s.tsSchedule;
    auto* kinds = qobject_cast<QStandardItemModel*>(page.cbKind->model());
    ASSERT_NE(kinds, nullptr);
    EXPECT_FALSE(kinds->item(6)->isEnabled());  // When idle
    EXPECT_EQ(kinds->item(6)->toolTip(), "Not available on this system");

    for (QCheckBox* day : page.panels->dayBoxes) day->setChecked(false);
    page.btnNew->click();
    ASSERT_EQ(page.cbTriggers->count(), 2);
    page.cbKind->setCurrentIndex(5);  // At logon
    EXPECT_EQ(page.cbTriggers->itemText(1), "2. At logon");

    s.btnOK->click();  // the weekly trigger has no day left
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(page.cbTriggers->currentIndex(), 0);  // the incomplete one is shown
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(store->saveLog.empty());

    page.cbTriggers->setCurrentIndex(0);
    page.btnDelete->click();
    ASSERT_EQ(page.cbTriggers->count(), 1);
    EXPECT_EQ(page.cbTriggers->itemText(0), "1. At logon");
    s.btnOK->click();
  });
  EXPECT_TRUE(saved);
  ASSERT_EQ(Stored().triggers.size(), 1u);
  EXPECT_EQ(Stored().triggers[0].TriggerType, schedule::TASK_EVENT_TRIGGER_AT_LOGON);
}

// The overload the wizard calls: its own title or "<task> Properties", its
// callback after Apply, and the trigger being edited still shown after Apply
// looked at every trigger.
TEST_F(PropertySheetTest, DirectSheetAppliesAndKeepsTheShownTrigger) {
  Store().triggers = {Weekly(0x2), Trigger(schedule::TASK_EVENT_TRIGGER_AT_LOGON)};
  TTaskItem* task = Listed();
  task->Activate();
  for (const QString& caption : {QString(), QStringLiteral("Advanced")}) {
    int applied = 0;
    auto watch = WhenModal("TaskPropertySheet", [&](QDialog& d) {
      auto& s = static_cast<TaskPropertySheet&>(d);
      EXPECT_EQ(s.windowTitle(), caption.isEmpty() ? QStringLiteral("Morning Properties") : caption);
      TaskSchedulePage& page = *s.tsSchedule;
      page.cbTriggers->setCurrentIndex(1);
      page.chkEndDate->setChecked(!page.chkEndDate->isChecked());
      s.btnApply->click();
      EXPECT_EQ(page.cbTriggers->currentIndex(), 1);
      EXPECT_EQ(page.cbKind->currentText(), "At logon");
      s.btnCancel->click();
    });
    EXPECT_TRUE(ShowPropertySheet(*task, nullptr, {TPageType::ptSchedule}, caption, [&] { ++applied; }));
    EXPECT_EQ(applied, 1);
  }
  // Toggled on, then off again.
  ASSERT_EQ(Stored().triggers.size(), 2u);
  EXPECT_FALSE(Stored().triggers[1].rgFlags & schedule::TASK_TRIGGER_FLAG_HAS_END_DATE);
  EXPECT_EQ(Stored().triggers[0].TriggerType, schedule::TASK_TIME_TRIGGER_WEEKLY);
  task->Deactivate(false);
}

TEST_F(PropertySheetTest, EndDateIsSetAndCleared) {
  Store();
  ExecuteWith("Morning", [](TaskPropertySheet& s) {
    s.tsSchedule->chkEndDate->setChecked(true);
    s.tsSchedule->dtEndDate->setDate(QDate(2027, 1, 31));
    s.btnApply->click();
    s.btnCancel->click();
  });
  schedule::TASK_TRIGGER t = Stored().triggers[0];
  EXPECT_TRUE(t.rgFlags & schedule::TASK_TRIGGER_FLAG_HAS_END_DATE);
  EXPECT_EQ(QDate(t.wEndYear, t.wEndMonth, t.wEndDay), QDate(2027, 1, 31));

  ExecuteWith("Morning", [](TaskPropertySheet& s) {
    EXPECT_TRUE(s.tsSchedule->chkEndDate->isChecked());
    EXPECT_EQ(s.tsSchedule->dtEndDate->date(), QDate(2027, 1, 31));
    s.tsSchedule->chkEndDate->setChecked(false);
    s.btnOK->click();
  });
  EXPECT_FALSE(Stored().triggers[0].rgFlags & schedule::TASK_TRIGGER_FLAG_HAS_END_DATE);
}

}  // namespace
