// The task properties dialog over the in-memory store: what it shows, what
// OK, Cancel and Apply write, and the rules of its controls.
#include <QLocale>
#include <QStandardItemModel>

#include "props_fixture.h"
#include "schedule/trigger_text.h"
#include "schedule/ui/task_properties_dialog.h"
#include "schedule/ui/task_property_sheet.h"
#include "schedule/ui/task_property_sheet_schedule.h"
#include "schedule/ui/tpropsdlg.h"

namespace {

using namespace zovedu_test;
using schedule::TaskRecord;

class PropsDlgTest : public PropsFixture {
 protected:
  // The dialog shown without its own event loop, over the activated task.
  std::unique_ptr<TPropsDlg> OpenShown(const QString& name = QStringLiteral("Morning")) {
    TTaskItem* task = Listed(name);
    task->Activate();
    auto dlg = std::make_unique<TPropsDlg>(*scheduler);
    dlg->LoadFromTask(task);
    dlg->show();
    return dlg;
  }
  static std::vector<int> CheckedFlags(const TPropsDlg& dlg) {
    std::vector<int> checked;
    for (int i = 0; i < kTaskFlagCount; ++i)
      if (dlg.clbFlags->item(i)->checkState() == Qt::Checked) checked.push_back(i);
    return checked;
  }
};

TEST_F(PropsDlgTest, LoadFromTaskShowsEveryProperty) {
  Store();
  auto dlg = OpenShown();
  EXPECT_EQ(dlg->windowTitle(), "Morning Properties");
  EXPECT_EQ(dlg->PageControl1->currentWidget(), dlg->tsTask);
  EXPECT_EQ(dlg->edtTaskName->text(), "Morning");
  EXPECT_TRUE(dlg->edtTaskName->isReadOnly());
  EXPECT_EQ(dlg->edtApplicationName->text(), "/opt/zovedu/zovedu");
  EXPECT_TRUE(dlg->edtApplicationName->isReadOnly());
  EXPECT_EQ(dlg->edtParameters->text(), "-run \"/home/u/My Task.cfg\"");
  EXPECT_EQ(dlg->edtWorkDir->text(), "/home/u");
  EXPECT_EQ(dlg->edtCreator->text(), "Zovedu");
  EXPECT_EQ(dlg->memComments->toPlainText(), "first line\nsecond line");
  EXPECT_EQ(dlg->memData->toPlainText(), "ab\nc");
  EXPECT_EQ(dlg->cbPriority->currentText(), "High");
  EXPECT_EQ(dlg->seIdleMinutes->value(), 10);
  EXPECT_EQ(dlg->seDeadlineMinutes->value(), 5);
  // Delete When Done, Hidden, Run Only If Logged On (always shown), System
  // Required, Kill If Going On Batteries.
  EXPECT_EQ(CheckedFlags(*dlg), (std::vector<int>{1, 3, 4, 6, 10}));
  EXPECT_EQ(dlg->clbFlags->item(10)->text(), "Kill If Going On Batteries");
  EXPECT_EQ(dlg->cbSchedule->currentText(), schedule::TriggerText(Stored().triggers[0]));
}

struct SaveCase {
  const char* name;
  std::function<void(TPropsDlg&)> edit;
  std::function<void(TaskRecord&)> expect;  // applied to the record as stored before
};

TEST_F(PropsDlgTest, OkWritesTheControlsBackAndNothingElse) {
  const SaveCase cases[] = {
      {"untouched", [](TPropsDlg&) {}, [](TaskRecord&) {}},
      {"every control",
       [](TPropsDlg& d) {
         d.edtParameters->setText("-run");
         d.edtWorkDir->setText("/tmp/w d");
         d.edtCreator->setText("Zovedu 2");
         d.memComments->setPlainText("changed");
         d.cbPriority->setCurrentIndex(0);
         d.clbFlags->item(0)->setCheckState(Qt::Checked);     // Interactive
         d.clbFlags->item(1)->setCheckState(Qt::Unchecked);   // Delete When Done
         d.clbFlags->item(11)->setCheckState(Qt::Checked);    // Run If Connected To Internet
         d.seIdleMinutes->setValue(65535);
         d.seDeadlineMinutes->setValue(70000);  // held at 16 bits, no wrap
       },
       [](TaskRecord& r) {
         r.parameters = "-run";
         r.workingDirectory = "/tmp/w d";
         r.creator = "Zovedu 2";
         r.comment = "changed";
         r.priorityClass = schedule::IDLE_PRIORITY_CLASS;
         r.flags = (r.flags | schedule::TASK_FLAG_INTERACTIVE | schedule::TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET) &
                   ~schedule::TASK_FLAG_DELETE_WHEN_DONE;
         r.idleWait = 0xFFFFFFFF;
       }},
  };
  for (const SaveCase& c : cases) {
    SCOPED_TRACE(c.name);
    TaskRecord expected = Store();
    c.expect(expected);
    auto watch = WhenModal("TPropsDlg", [&](QDialog& d) {
      c.edit(static_cast<TPropsDlg&>(d));
      static_cast<TPropsDlg&>(d).btnOK->click();
    });
    EXPECT_TRUE(ShowTaskProperties(Listed(), *scheduler));
    EXPECT_EQ(Stored(), expected);
    EXPECT_TRUE(messages.shown.empty());
  }
}

struct CloseCase {
  const char* name;
  std::function<void(TPropsDlg&)> close;
  bool result;
  const char* storedCreator;
};

TEST_F(PropsDlgTest, OkCancelAndApplyThenCancel) {
  const CloseCase cases[] = {
      {"OK", [](TPropsDlg& d) { d.edtCreator->setText("Edited"); d.btnOK->click(); }, true, "Edited"},
      {"Cancel", [](TPropsDlg& d) { d.edtCreator->setText("Edited"); d.btnCancel->click(); }, false, "Zovedu"},
      {"Apply then Cancel",
       [](TPropsDlg& d) {
         d.edtCreator->setText("Applied");
         d.btnApply->click();
         EXPECT_TRUE(d.isVisible());
         d.edtCreator->setText("Not applied");
         d.btnCancel->click();
       },
       false, "Applied"},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    Store();
    store->saveLog.clear();
    auto watch = WhenModal("TPropsDlg", [&](QDialog& d) { c.close(static_cast<TPropsDlg&>(d)); });
    TTaskItem* task = Listed();
    EXPECT_EQ(ShowTaskProperties(task, *scheduler), c.result);
    EXPECT_EQ(Stored().creator, c.storedCreator);
    EXPECT_FALSE(task->Activated());
    if (c.storedCreator == std::string("Zovedu")) {
      EXPECT_TRUE(store->saveLog.empty());
    }
  }
}

TEST_F(PropsDlgTest, IdleBoxesFollowStartOnlyIfIdle) {
  Store().flags = schedule::TASK_FLAG_START_ONLY_IF_IDLE;
  auto dlg = OpenShown();
  EXPECT_TRUE(dlg->seIdleMinutes->isEnabled());
  EXPECT_TRUE(dlg->seDeadlineMinutes->isEnabled());
  dlg->clbFlags->item(static_cast<int>(TTaskFlag::tfStartOnlyIfIdle))->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(dlg->seIdleMinutes->isEnabled());
  EXPECT_FALSE(dlg->seDeadlineMinutes->isEnabled());

  Store().flags = 0;
  dlg = OpenShown();
  EXPECT_FALSE(dlg->seIdleMinutes->isEnabled());
  EXPECT_FALSE(dlg->seDeadlineMinutes->isEnabled());
}

TEST_F(PropsDlgTest, FlagsThatCannotBeChangedHereAreGreyedAndKept) {
  Store().flags = schedule::TASK_FLAG_START_ONLY_IF_IDLE | schedule::TASK_FLAG_RESTART_ON_IDLE_RESUME;
  auto dlg = OpenShown();
  for (TTaskFlag f : {TTaskFlag::tfStartOnlyIfIdle, TTaskFlag::tfSystemRequired, TTaskFlag::tfKillOnIdleEnd,
                      TTaskFlag::tfRestartOnIdleResume}) {
    QListWidgetItem* item = dlg->clbFlags->item(static_cast<int>(f));
    EXPECT_FALSE(item->flags() & Qt::ItemIsEnabled) << item->text().toStdString();
    EXPECT_EQ(item->toolTip(), "Not available on this system");
  }
  QListWidgetItem* loggedOn = dlg->clbFlags->item(static_cast<int>(TTaskFlag::tfRunOnlyIfLoggedOn));
  EXPECT_EQ(loggedOn->checkState(), Qt::Checked);
  EXPECT_FALSE(loggedOn->flags() & Qt::ItemIsEnabled);
  dlg->btnApply->click();
  EXPECT_EQ(Stored().flags, schedule::TASK_FLAG_START_ONLY_IF_IDLE | schedule::TASK_FLAG_RESTART_ON_IDLE_RESUME);
}

TEST_F(PropsDlgTest, RunTimesShowNeverWithoutATime) {
  Store().triggers = {Trigger(schedule::TASK_EVENT_TRIGGER_AT_LOGON)};
  auto dlg = OpenShown();
  EXPECT_EQ(dlg->lblLastRunTime->text(), "Never");
  EXPECT_EQ(dlg->lblNextRunTime->text(), "Never");

  schedule::TASK_TRIGGER daily = Trigger(schedule::TASK_TIME_TRIGGER_DAILY);
  daily.Type.Daily.DaysInterval = 1;
  Store().triggers = {daily};
  const QDateTime lastRun(QDate(2026, 12, 10), QTime(9, 5));
  store->runStates["Morning.job"].lastRun = lastRun.toSecsSinceEpoch();
  dlg = OpenShown();
  EXPECT_EQ(dlg->lblLastRunTime->text(), TPropsDlg::RunTimeText(lastRun));
  EXPECT_NE(dlg->lblNextRunTime->text(), "Never");
}

TEST_F(PropsDlgTest, RunTimeTextIsLongTimeThenLongDate) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QString text = TPropsDlg::RunTimeText(QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)));
  QLocale::setDefault(before);
  EXPECT_TRUE(text.startsWith("09:05:07")) << text.toStdString();
  EXPECT_TRUE(text.endsWith(", Donnerstag, 10. Dezember 2026")) << text.toStdString();
  EXPECT_EQ(TPropsDlg::RunTimeText(QDateTime()), "Never");
}

TEST_F(PropsDlgTest, ScheduleBoxListsTheTriggers) {
  using Lines = QStringList;
  struct Case {
    std::vector<schedule::TASK_TRIGGER> triggers;
    Lines lines;
  };
  const auto logon = Trigger(schedule::TASK_EVENT_TRIGGER_AT_LOGON);
  const auto startup = Trigger(schedule::TASK_EVENT_TRIGGER_AT_SYSTEMSTART);
  const Case cases[] = {
      {{}, {"<Task not scheduled>"}},
      {{logon}, {"At logon"}},
      {{logon, startup}, {"1. At logon", "2. At system startup"}},
  };
  for (const Case& c : cases) {
    Store().triggers = c.triggers;
    auto dlg = OpenShown();
    Lines shown;
    for (int i = 0; i < dlg->cbSchedule->count(); ++i) shown << dlg->cbSchedule->itemText(i);
    EXPECT_EQ(shown, c.lines);
    EXPECT_EQ(dlg->cbSchedule->currentIndex(), 0);
  }
}

TEST_F(PropsDlgTest, DataIsWrittenOnlyFromAnEditedNonEmptyBox) {
  const std::vector<std::uint8_t> binary = {0xFF, 0x00, 'x', '\r', '\n', 0xE9};  // not UTF-8
  struct Case {
    const char* name;
    std::function<void(TPropsDlg&)> edit;
    std::vector<std::uint8_t> stored;
  };
  const Case cases[] = {
      {"untouched", [](TPropsDlg&) {}, binary},
      {"emptied", [](TPropsDlg& d) { d.memData->clear(); }, binary},
      {"two lines", [](TPropsDlg& d) { d.memData->setPlainText("x\ny"); }, {'x', '\n', 'y', '\n'}},
      {"non-ASCII", [](TPropsDlg& d) { d.memData->setPlainText(QString::fromUtf8("\xC3\xA9")); }, {0xC3, 0xA9, '\n'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store().data = binary;
    auto dlg = OpenShown();
    c.edit(*dlg);
    dlg->edtCreator->setText("Zovedu");  // the task is written in every case
    dlg->btnApply->click();
    EXPECT_EQ(Stored().data, c.stored);
  }
}

TEST_F(PropsDlgTest, DataLongerThanTheStoreCanKeepIsRefused) {
  Store();
  auto dlg = OpenShown();
  dlg->memData->setPlainText(QString(70000, QLatin1Char('a')));
  dlg->btnApply->click();
  dlg->btnOK->click();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->PageControl1->currentWidget(), dlg->tsCustom);
  EXPECT_TRUE(store->saveLog.empty());
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_TRUE(messages.shown[0].text.contains("65535")) << messages.shown[0].text.toStdString();
}

TEST_F(PropsDlgTest, ChangingTheCreatorDropsTheTaskFromTheFilteredList) {
  Store();
  scheduler->OnBeforeTaskAdded = [](TTaskScheduler*, TTaskItem* task, bool& canAdd) {
    task->Activate();
    canAdd = task->Creator() == "Zovedu";
    task->Deactivate(false);
  };
  scheduler->Refresh();
  ASSERT_EQ(scheduler->Count(), 1);
  auto watch = WhenModal("TPropsDlg", [](QDialog& d) {
    static_cast<TPropsDlg&>(d).edtCreator->setText("Someone else");
    static_cast<TPropsDlg&>(d).btnOK->click();
  });
  ASSERT_TRUE(ShowTaskProperties(scheduler->Tasks(0), *scheduler));
  scheduler->Refresh();
  EXPECT_EQ(scheduler->Count(), 0);
}

// "&Edit..." opens the property sheet on the same task; what its Apply saves
// shows at once and stays after both dialogs are cancelled.
TEST_F(PropsDlgTest, EditSheetApplyUpdatesTheScheduleAndSurvivesCancel) {
  Store();
  auto watch = WhenModal("TPropsDlg", [](QDialog& d) {
    auto& props = static_cast<TPropsDlg&>(d);
    EXPECT_EQ(props.TaskPropertiesDialog1->Pages(), (TPageTypes{TPageType::ptSchedule, TPageType::ptSettings}));
    auto sheetWatch = WhenModal("TaskPropertySheet", [&props](QDialog& s) {
      auto& sheet = static_cast<TaskPropertySheet&>(s);
      EXPECT_EQ(sheet.windowTitle(), "Morning Properties");
      EXPECT_EQ(sheet.tabs->count(), 2);
      sheet.tsSchedule->cbKind->setCurrentIndex(1);  // Daily
      sheet.btnApply->click();
      EXPECT_TRUE(props.cbSchedule->currentText().startsWith("At 09:05 every day"))
          << props.cbSchedule->currentText().toStdString();
      sheet.btnCancel->click();
    });
    props.btnEdit->click();
    props.btnCancel->click();
  });
  EXPECT_FALSE(ShowTaskProperties(Listed(), *scheduler));
  ASSERT_EQ(Stored().triggers.size(), 1u);
  EXPECT_EQ(Stored().triggers[0].TriggerType, schedule::TASK_TIME_TRIGGER_DAILY);
  EXPECT_EQ(Stored().triggers[0].wStartHour, 9);
  EXPECT_EQ(Stored().triggers[0].wStartMinute, 5);
}

// A flag set on the "Edit..." sheet is what OK here writes: the last edit
// wins, and a box changed here but not on the sheet keeps its change.
TEST_F(PropsDlgTest, OkAfterTheEditSheetKeepsTheFlagsSetThere) {
  Store();
  auto watch = WhenModal("TPropsDlg", [](QDialog& d) {
    auto& props = static_cast<TPropsDlg&>(d);
    props.clbFlags->item(static_cast<int>(TTaskFlag::tfDisabled))->setCheckState(Qt::Checked);
    auto sheetWatch = WhenModal("TaskPropertySheet", [](QDialog& s) {
      auto& sheet = static_cast<TaskPropertySheet&>(s);
      EXPECT_TRUE(sheet.chkDeleteWhenDone->isChecked());
      sheet.chkDeleteWhenDone->setChecked(false);
      sheet.chkDontStartOnBatteries->setChecked(true);
      sheet.btnOK->click();
    });
    props.btnEdit->click();
    EXPECT_EQ(props.clbFlags->item(static_cast<int>(TTaskFlag::tfDeleteWhenDone))->checkState(), Qt::Unchecked);
    props.btnOK->click();
  });
  ASSERT_TRUE(Stored().flags & schedule::TASK_FLAG_DELETE_WHEN_DONE);
  EXPECT_TRUE(ShowTaskProperties(Listed(), *scheduler));
  EXPECT_FALSE(Stored().flags & schedule::TASK_FLAG_DELETE_WHEN_DONE);
  EXPECT_TRUE(Stored().flags & schedule::TASK_FLAG_DONT_START_IF_ON_BATTERIES);
  EXPECT_TRUE(Stored().flags & schedule::TASK_FLAG_DISABLED);
}

}  // namespace
