// Every window of the program built at the current application font: the main
// window and the recording wizard on the virtual audio backend, the dialogs
// beside them, and the task dialogs over a task store kept in memory.
#pragma once

#include <memory>

#include "dialogs/tfrmabout.h"
#include "app/task_store_choice.h"
#include "schedule/in_memory_backend.h"
#include "schedule/task_scheduler.h"
#include "schedule/ui/task_property_sheet.h"
#include "schedule/ui/tnewtaskwizard.h"
#include "schedule/ui/tpropsdlg.h"
#include "tag_editor/tag_dialog_fixture.h"
#include "wizard/wizard_fixture.h"

class WindowsFixture : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    // The main window's task list and the task dialogs show the same task.
    SetTaskBackendFactory([] {
      auto store = std::make_unique<schedule::InMemoryBackend>();
      store->tasks[MorningTask().name] = MorningTask();
      return store;
    });
    scheduler = std::make_unique<TTaskScheduler>(MakeTaskBackend());
    scheduler->SetActive(true);
    scheduler->Refresh();
  }
  void TearDown() override {
    scheduler.reset();
    WizardTest::TearDown();
  }

  // Weekly on Monday and Wednesday, with every property set.
  static schedule::TaskRecord MorningTask() {
    schedule::TaskRecord r;
    r.name = "Morning Radio Show.job";
    r.applicationName = "/opt/zovedu/zovedu";
    r.parameters = "-run \"/home/u/Morning Radio Show.cfg\"";
    r.workingDirectory = "/home/u";
    r.comment = "Records the morning show";
    r.creator = "Zovedu";
    r.account = "u";
    schedule::TASK_TRIGGER t{};
    t.cbTriggerSize = sizeof t;
    t.TriggerType = schedule::TASK_TIME_TRIGGER_WEEKLY;
    t.wBeginYear = 2026;
    t.wBeginMonth = 12;
    t.wBeginDay = 10;
    t.wStartHour = 9;
    t.wStartMinute = 5;
    t.Type.Weekly.WeeksInterval = 1;
    t.Type.Weekly.rgfDaysOfTheWeek = 0x2 | 0x8;
    r.triggers = {t};
    return r;
  }

  TTaskItem* Task() {
    TTaskItem* task = scheduler->FindTask(QStringLiteral("Morning Radio Show"));
    if (task) task->Activate();
    return task;
  }

  TaskWizardSources WizardSources() const {
    TaskWizardSources s;
    s.formats = {"WAV", "MP3", "WMA", "OGG", "APE", "FLAC", "TTA", "WV", "AAC", "MPC", "SPX"};
    s.inputs = {"Microphone", "Line In"};
    s.inputIndex = 1;
    s.volume = 70;
    s.programPath = "/opt/zovedu/zovedu";
    s.outputFolder = out.path();
    return s;
  }

  std::unique_ptr<Tfrmabout> About() {
    return std::make_unique<Tfrmabout>(QStringLiteral("https://www.zovedu.org/"),
                                       QStringLiteral("support@zovedu.org"), nullptr);
  }

  TagLink tagLink;
  TagReaders tagReaders;
  std::unique_ptr<TTaskScheduler> scheduler;
};
