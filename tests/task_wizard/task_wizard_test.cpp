// The new-task wizard driven through its buttons, offscreen, over a task
// store kept in memory: what it saves, which files it writes and removes,
// and when Next may be pressed.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "schedule/in_memory_backend.h"
#include "schedule/task_scheduler.h"
#include "schedule/ui/tnewtaskwizard.h"
#include "schedule/ui/trigger_panels.h"
#include "support/scratch_dir.h"
#include "support/test_messages.h"

namespace {

using schedule::TASK_TRIGGER;

class TaskWizardTest : public ::testing::Test {
 protected:
  TaskWizardTest() {
    auto backend = std::make_unique<schedule::InMemoryBackend>();
    store = backend.get();
    scheduler = std::make_unique<TTaskScheduler>(std::move(backend));
    scheduler->SetActive(true);
    sources.formats = {"WAV", "MP3", "WMA", "OGG", "APE", "FLAC", "TTA", "WV", "AAC", "MPC", "SPX"};
    sources.inputs = {"Microphone", "Line In"};
    sources.inputIndex = 1;
    sources.volume = 70;
    sources.programPath = "/opt/zovedu/zovedu";
    sources.outputFolder = QString::fromStdString(dir.path().string());
  }

  std::unique_ptr<TNewTaskWizard> Open() {
    auto w = std::make_unique<TNewTaskWizard>(*scheduler, sources);
    w->show();
    return w;
  }
  // Presses Next and requires it to be enabled.
  static void Next(TNewTaskWizard& w) {
    ASSERT_TRUE(w.btnNext->isEnabled()) << w.CurrentPage()->objectName().toStdString();
    w.btnNext->click();
  }
  // Start -> Custom Data -> Task Name with a kind of schedule chosen.
  static void ToTaskName(TNewTaskWizard& w, QRadioButton* kind, const QString& name = QString()) {
    Next(w);
    Next(w);
    if (!name.isEmpty()) w.edtTaskName->setText(name);
    kind->setChecked(true);
  }
  std::vector<QString> CfgFiles() const {
    std::vector<QString> files;
    for (QDirIterator it(QString::fromStdString(dir.path().string()), {"*.cfg"}, QDir::Files); it.hasNext();)
      files.push_back(QFileInfo(it.next()).fileName());
    std::sort(files.begin(), files.end());
    return files;
  }

  zovedu_test::ScratchDir dir;
  TestMessages messages;
  schedule::InMemoryBackend* store;
  std::unique_ptr<TTaskScheduler> scheduler;
  TaskWizardSources sources;
};

struct KindCase {
  const char* kind;  // radio button
  int type;          // saved trigger type
  std::function<void(TriggerPanels&)> choose;
  std::function<void(const TASK_TRIGGER&)> check;
};

TEST_F(TaskWizardTest, EveryKindOfScheduleIsSavedWithItsTrigger) {
  const KindCase cases[] = {
      {"rbDaily", 1,
       [](TriggerPanels& p) {
         p.rbEveryDays->setChecked(true);
         p.seIntervalDaily->setValue(3);
         p.dtStartTimeDaily->setTime(QTime(6, 45, 30));
         p.dtStartDateDaily->setDate(QDate(2027, 2, 3));
       },
       [](const TASK_TRIGGER& t) {
         EXPECT_EQ(t.Type.Daily.DaysInterval, 3);
         EXPECT_EQ(t.wStartHour * 100 + t.wStartMinute, 645);
         EXPECT_EQ(t.wBeginYear * 10000 + t.wBeginMonth * 100 + t.wBeginDay, 20270203);
       }},
      {"rbWeekly", 2,
       [](TriggerPanels& p) {
         p.seWeekInterval->setValue(2);
         p.dayBoxes[0]->setChecked(true);  // Monday
         p.dayBoxes[6]->setChecked(true);  // Sunday
       },
       [](const TASK_TRIGGER& t) {
         EXPECT_EQ(t.Type.Weekly.WeeksInterval, 2);
         EXPECT_EQ(t.Type.Weekly.rgfDaysOfTheWeek, 0x2 | 0x1);
         EXPECT_EQ(QDate(t.wBeginYear, t.wBeginMonth, t.wBeginDay), QDate::currentDate());
       }},
      {"rbMonthly", 3,
       [](TriggerPanels& p) {
         p.seMonthDay->setValue(31);
         p.monthBoxes[0]->setChecked(true);
         p.monthBoxes[11]->setChecked(true);
       },
       [](const TASK_TRIGGER& t) {
         EXPECT_EQ(t.Type.MonthlyDate.rgfDays, 1u << 30);
         EXPECT_EQ(t.Type.MonthlyDate.rgfMonths, 0x1 | 0x800);
       }},
      {"rbMonthly", 4,
       [](TriggerPanels& p) {
         p.rbMonthlyDow->setChecked(true);
         p.cbWhichWeek->setCurrentIndex(4);      // Last
         p.cbDaysOfTheWeek->setCurrentIndex(5);  // Friday
         p.monthBoxes[5]->setChecked(true);
       },
       [](const TASK_TRIGGER& t) {
         EXPECT_EQ(t.Type.MonthlyDOW.wWhichWeek, 5);
         EXPECT_EQ(t.Type.MonthlyDOW.rgfDaysOfTheWeek, 1 << 5);
         EXPECT_EQ(t.Type.MonthlyDOW.rgfMonths, 0x20);
       }},
      {"rbOneTime", 0,
       [](TriggerPanels& p) {
         p.dtStartTimeOnce->setTime(QTime(23, 59));
         p.dtStartDateOnce->setDate(QDate(2027, 12, 31));
       },
       [](const TASK_TRIGGER& t) {
         EXPECT_EQ(t.wStartHour * 100 + t.wStartMinute, 2359);
         EXPECT_EQ(t.wBeginYear * 10000 + t.wBeginMonth * 100 + t.wBeginDay, 20271231);
       }},
      {"rbStartup", 6, nullptr, [](const TASK_TRIGGER&) {}},
      {"rbLogon", 7, nullptr, [](const TASK_TRIGGER&) {}},
  };
  int n = 0;
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.type);
    auto w = Open();
    const QString name = QStringLiteral("Kind %1").arg(++n);
    ToTaskName(*w, w->findChild<QRadioButton*>(c.kind), name);
    Next(*w);
    if (c.choose) {
      ASSERT_EQ(w->CurrentPage(), w->tsTriggerDetails);
      c.choose(*w->triggerPanels);
      Next(*w);
    }
    ASSERT_EQ(w->CurrentPage(), w->tsAccountInfo);
    Next(*w);
    ASSERT_EQ(w->CurrentPage(), w->tsFinished);
    EXPECT_EQ(w->lblTaskResult->text(), name);
    w->btnNext->click();  // Finish
    w->SaveTask();
    const schedule::TaskRecord& saved = store->tasks.at((name + ".job").toStdString());
    ASSERT_EQ(saved.triggers.size(), 1u);
    EXPECT_EQ(static_cast<int>(saved.triggers[0].TriggerType), c.type);
    c.check(saved.triggers[0]);
    EXPECT_EQ(saved.flags, 0xC0u | 0x2000u);
    EXPECT_EQ(saved.applicationName, "/opt/zovedu/zovedu");
    EXPECT_EQ(saved.parameters, "-run");
    EXPECT_EQ(saved.creator, "Zovedu");
    EXPECT_EQ(saved.comment, "Zovedu Task");
    EXPECT_FALSE(saved.account.empty());
  }
  EXPECT_TRUE(CfgFiles().empty());  // the recorder's settings need no task file
}

TEST_F(TaskWizardTest, CustomSettingsWriteATaskFileWhoseQuotedPathIsTheParameter) {
  sources.outputFolder = QString::fromStdString((dir / "with blank").string());
  QDir().mkpath(sources.outputFolder);
  auto w = Open();
  Next(*w);
  w->recordsettingcom->setCurrentIndex(1);
  w->formatcom->setCurrentIndex(5);
  EXPECT_TRUE(w->Eoutput->text().endsWith("Rectest.flac"));
  w->ctimestop->setChecked(true);
  w->estoptime->setText("90");
  Next(*w);
  w->rbLogon->setChecked(true);
  Next(*w);
  w->edtPassword1->setText("secret-word");
  w->edtPassword2->setText("secret-word");
  Next(*w);
  w->btnNext->click();
  w->SaveTask();
  const schedule::TaskRecord& saved = store->tasks.at("Record Task 1.job");
  const QString file = sources.outputFolder + "/Record.cfg";
  EXPECT_EQ(QString::fromStdString(saved.parameters), "-run \"" + file + "\"");
  QFile cfg(file);
  ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
  const QByteArray text = cfg.readAll();
  EXPECT_TRUE(text.contains("OutFormat=5")) << text.toStdString();
  EXPECT_TRUE(text.contains("Stoptime=90"));
  EXPECT_TRUE(text.contains("Source=1"));
  EXPECT_TRUE(text.contains("OutName=" + file.chopped(10).toUtf8() + "Rectest.flac"));
  // The password is kept nowhere: not in a file, not in what was stored.
  for (QDirIterator it(QString::fromStdString(dir.path().string()), QDir::Files, QDirIterator::Subdirectories);
       it.hasNext();) {
    QFile f(it.next());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("secret-word")) << f.fileName().toStdString();
  }
  for (const schedule::TaskRecord& r : store->saveLog) {
    const std::string all = r.name + r.applicationName + r.parameters + r.workingDirectory + r.comment + r.creator +
                            r.account + std::string(r.data.begin(), r.data.end());
    EXPECT_EQ(all.find("secret-word"), std::string::npos);
  }
  EXPECT_FALSE(store->saveLog.empty());
}

TEST_F(TaskWizardTest, FormatSettingsOpenTheOptionsExceptForWaveAndTta) {
  std::vector<int> opened;
  sources.showFormatSettings = [&opened](int format) { opened.push_back(format); };
  auto w = Open();
  Next(*w);
  w->recordsettingcom->setCurrentIndex(1);
  const struct {
    int format;
    const char* message;  // nullptr: the options open
  } cases[] = {{0, "No extra settings for WAVE!"}, {6, "No extra settings for TTA!"}, {3, nullptr}, {9, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    messages.shown.clear();
    opened.clear();
    w->formatcom->setCurrentIndex(c.format);
    w->btnsettings->click();
    if (c.message) {
      ASSERT_EQ(messages.shown.size(), 1u);
      EXPECT_EQ(messages.shown[0].text, c.message);
      EXPECT_TRUE(opened.empty());
    } else {
      EXPECT_TRUE(messages.shown.empty());
      EXPECT_EQ(opened, std::vector<int>{c.format});
    }
  }
}

TEST_F(TaskWizardTest, TaskFilesAreNumberedAndOnlyThoseOfUnsavedTasksAreRemoved) {
  // Custom settings, daily schedule: leaves the wizard on Trigger Details.
  const auto toTriggerDetails = [this](TNewTaskWizard& w) {
    Next(w);
    w.recordsettingcom->setCurrentIndex(1);
    Next(w);
    w.rbDaily->setChecked(true);
    Next(w);
    ASSERT_EQ(w.CurrentPage(), w.tsTriggerDetails);
  };
  {
    auto first = Open();
    toTriggerDetails(*first);
    Next(*first);
    Next(*first);
    first->btnNext->click();
    first->SaveTask();
  }
  EXPECT_EQ(CfgFiles(), std::vector<QString>{"Record.cfg"});

  auto w = Open();
  toTriggerDetails(*w);
  EXPECT_EQ(CfgFiles(), (std::vector<QString>{"Record.cfg", "Record1.cfg"}));
  w->btnBack->click();  // drops the held task and its file
  EXPECT_EQ(w->CurrentPage(), w->tsTaskName);
  EXPECT_EQ(w->Task(), nullptr);
  EXPECT_EQ(CfgFiles(), std::vector<QString>{"Record.cfg"});
  QFile foreign(QString::fromStdString((dir / "Record1.cfg").string()));
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));  // someone else's file is never touched
  foreign.close();
  Next(*w);  // the task anew, with a new file
  EXPECT_EQ(CfgFiles(), (std::vector<QString>{"Record.cfg", "Record1.cfg", "Record2.cfg"}));
  w->CancelTask();
  EXPECT_EQ(CfgFiles(), (std::vector<QString>{"Record.cfg", "Record1.cfg"}));
  EXPECT_EQ(store->tasks.size(), 1u);  // only the first run's task
  EXPECT_EQ(scheduler->FindTask("Record Task 2"), nullptr);
}

TEST_F(TaskWizardTest, AFailingSaveOrTaskFileLeavesNeitherTaskNorFile) {
  auto w = Open();
  Next(*w);
  w->recordsettingcom->setCurrentIndex(1);
  const QString kept = w->Eoutput->text();
  w->Eoutput->setText(QString::fromStdString((dir / "missing" / "x.mp3").string()));
  Next(*w);
  w->rbLogon->setChecked(true);
  w->btnNext->click();  // the task file cannot be written
  EXPECT_EQ(w->CurrentPage(), w->tsTaskName);
  EXPECT_EQ(w->Task(), nullptr);
  EXPECT_TRUE(messages.shown.back().text.startsWith("Unable to write to")) << messages.shown.back().text.toStdString();

  w->btnBack->click();
  w->Eoutput->setText(kept);
  Next(*w);
  Next(*w);
  Next(*w);
  ASSERT_EQ(w->CurrentPage(), w->tsFinished);
  EXPECT_EQ(CfgFiles(), std::vector<QString>{"Record.cfg"});
  store->saveError = "No space left on device";
  w->btnNext->click();
  EXPECT_THROW(w->SaveTask(), EAppError);
  EXPECT_TRUE(CfgFiles().empty());
  EXPECT_TRUE(store->tasks.empty());
}

TEST_F(TaskWizardTest, SuggestsTheFirstFreeNameCountingTasksOfOtherPrograms) {
  for (const char* name : {"Record Task 1.job", "Record Task 2.job", "Record Task 4.job"}) {
    schedule::TaskRecord r;
    r.name = name;
    store->tasks[name] = r;
  }
  // Task 2 belongs to another program and is not listed, yet its name is taken.
  scheduler->OnBeforeTaskAdded = [](TTaskScheduler*, TTaskItem* item, bool& canAdd) {
    canAdd = item->Name() != "Record Task 2.job";
  };
  scheduler->Refresh();
  ASSERT_EQ(scheduler->Count(), 2);
  auto w = Open();
  Next(*w);
  Next(*w);
  EXPECT_EQ(w->edtTaskName->text(), "Record Task 3");
}

TEST_F(TaskWizardTest, ReplacingAnExistingTaskAsksFirst) {
  schedule::TaskRecord old;
  old.name = "Night.job";
  old.creator = "Zovedu";
  old.flags = schedule::TASK_FLAG_HIDDEN;
  old.triggers.resize(2);
  store->tasks["Night.job"] = old;
  auto w = Open();
  ToTaskName(*w, w->rbLogon, "Night");
  messages.answer(MsgAnswer::No);
  w->btnNext->click();
  EXPECT_EQ(w->CurrentPage(), w->tsTaskName);
  EXPECT_EQ(w->Task(), nullptr);
  EXPECT_EQ(messages.shown.back().text, "A task with the name Night already exists.  Do you want to replace it?");

  messages.answer(MsgAnswer::Yes);
  w->btnNext->click();
  ASSERT_EQ(w->CurrentPage(), w->tsAccountInfo);
  Next(*w);
  w->btnNext->click();
  w->SaveTask();
  const schedule::TaskRecord& saved = store->tasks.at("Night.job");
  EXPECT_EQ(saved.triggers.size(), 1u);  // the old triggers are gone
  EXPECT_TRUE(saved.flags & schedule::TASK_FLAG_HIDDEN);  // a replaced task keeps its flags
}

TEST_F(TaskWizardTest, NextIsEnabledOnlyWhenThePageIsComplete) {
  auto w = Open();
  Next(*w);
  w->recordsettingcom->setCurrentIndex(1);
  w->ctimestop->setChecked(true);
  for (const char* stop : {"", "0"}) {
    w->estoptime->setText(stop);
    EXPECT_FALSE(w->btnNext->isEnabled()) << stop;
  }
  w->estoptime->setText("5");
  Next(*w);
  w->edtTaskName->clear();
  w->rbWeekly->setChecked(true);
  EXPECT_FALSE(w->btnNext->isEnabled());
  w->edtTaskName->setText("Weekly show");
  Next(*w);
  EXPECT_FALSE(w->btnNext->isEnabled());  // no week day ticked
  w->triggerPanels->dayBoxes[2]->setChecked(true);
  EXPECT_TRUE(w->btnNext->isEnabled());
  // Monthly: a month ticked, and with "T&he" a week and a day chosen.
  TriggerPanels& p = *w->triggerPanels;
  p.ShowPanelFor(schedule::TASK_TIME_TRIGGER_MONTHLYDATE);
  EXPECT_FALSE(p.CanGoOn(schedule::TASK_TIME_TRIGGER_MONTHLYDATE));
  p.monthBoxes[3]->setChecked(true);
  EXPECT_TRUE(p.CanGoOn(schedule::TASK_TIME_TRIGGER_MONTHLYDATE));
  p.rbMonthlyDow->setChecked(true);
  for (QComboBox* list : {p.cbWhichWeek, p.cbDaysOfTheWeek}) {
    EXPECT_TRUE(p.CanGoOn(schedule::TASK_TIME_TRIGGER_MONTHLYDOW));
    list->setCurrentIndex(-1);
    EXPECT_FALSE(p.CanGoOn(schedule::TASK_TIME_TRIGGER_MONTHLYDOW)) << list->objectName().toStdString();
    list->setCurrentIndex(0);
  }
  p.ShowPanelFor(schedule::TASK_TIME_TRIGGER_WEEKLY);
  Next(*w);
  w->edtPassword1->setText("a");
  EXPECT_FALSE(w->btnNext->isEnabled());
  w->edtPassword2->setText("a");
  w->edtAccount->setText("   ");
  w->btnNext->click();  // blanks only: stays
  EXPECT_EQ(w->CurrentPage(), w->tsAccountInfo);
}

TEST_F(TaskWizardTest, RefusesBadNamesAndQuotedOutputNames) {
  auto w = Open();
  Next(*w);
  w->recordsettingcom->setCurrentIndex(1);
  w->Eoutput->setText("a\"b.mp3");
  w->btnNext->click();
  EXPECT_EQ(w->CurrentPage(), w->tsCustomData);
  w->Eoutput->setText("relative.mp3");
  Next(*w);
  w->edtTaskName->setText("bad\tname");
  w->rbDaily->setChecked(true);
  w->btnNext->click();
  EXPECT_EQ(w->CurrentPage(), w->tsTaskName);
  EXPECT_TRUE(messages.shown.back().text.contains("is not valid"));
  w->edtTaskName->setText("quotes \" / \\ % $ work");
  Next(*w);
  EXPECT_EQ(w->CurrentPage(), w->tsTriggerDetails);
  // The relative output name went into the output folder.
  EXPECT_EQ(CfgFiles(), std::vector<QString>{"Record.cfg"});
}

}  // namespace
