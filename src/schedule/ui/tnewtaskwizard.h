// The wizard that schedules a recording: a task running this program with
// "-run" (and a task file when the user sets the recording up here), its one
// trigger and the account it runs as.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class TTaskScheduler;
class TTaskItem;
class TriggerPanels;

// What the wizard takes from the main window.
struct TaskWizardSources {
  QStringList formats;  // the format list, 0 WAV ... 10 SPX
  int formatIndex = 1;
  QStringList inputs;
  int inputIndex = -1;
  int volume = 50;
  QString programPath;   // the program the task starts
  QString outputFolder;  // a relative output name is taken in this folder
  std::function<void(int formatIndex)> showFormatSettings;
};

class TNewTaskWizard : public QDialog {
  Q_OBJECT

 public:
  TNewTaskWizard(TTaskScheduler& scheduler, const TaskWizardSources& sources, QWidget* parent = nullptr);
  ~TNewTaskWizard() override;

  void GoNext();
  void GoBack();
  void UpdateButtons();
  void UpdateNextEnabled();
  void UpdateFinishPage();
  void CreateTask();
  void SaveTask();
  void CancelTask();
  void SuggestTaskName();
  int GetTaskType() const;
  static QString FindBrowserPath();
  TTaskItem* Task() const { return task_; }
  QWidget* CurrentPage() const { return pages->currentWidget(); }

  QStackedWidget* pages;
  QWidget *tsStartPage, *tsCustomData, *tsTaskName, *tsTriggerDetails, *tsAccountInfo, *tsFinished;
  QPushButton *btnBack, *btnNext, *btnCancel, *btnsavefile, *btnsettings, *Button1, *btnAdvanced;
  QComboBox *recordsettingcom, *formatcom, *sourcecom;
  QLineEdit *Eoutput, *estoptime, *eapp, *epar, *edtTaskName, *edtAccount, *edtPassword1, *edtPassword2;
  QSlider* barrecvolume;
  QLabel *lrecvolume, *lblTaskResult, *lblTaskNextTime;
  QCheckBox *ctimestop, *cadditionaltask;
  QRadioButton *rbDaily, *rbWeekly, *rbMonthly, *rbOneTime, *rbStartup, *rbLogon;
  TriggerPanels* triggerPanels;

 private:
  void BuildPages();
  QWidget* BuildCustomData();
  QWidget* BuildTaskName();
  QWidget* BuildAccountInfo();
  QWidget* BuildFinished();
  void ConnectControls();
  std::vector<QWidget*> Flow() const;
  void ShowPage(QWidget* page);
  void RecordSettingsChosen();
  void FormatChosen();
  void SaveFileClick();
  void SettingsClick();
  void ApplicationClick();
  void AdvancedClick();
  bool CustomSettings() const { return recordsettingcom->currentIndex() > 0; }
  QString AbsoluteOutputName() const;
  bool LeaveCustomData();
  bool LeaveAccountInfo();
  void RemoveWrittenFiles();

  TTaskScheduler& scheduler_;
  TaskWizardSources sources_;
  TTaskItem* task_ = nullptr;
  int triggerType_ = 0;
  QStringList writtenFiles_;  // task files of tasks not (yet) saved
};

// Shows the wizard modally; Finish saves the task, anything else drops it.
// Returns whether it closed with Finish, and the task held then.
std::pair<bool, TTaskItem*> RunNewTaskWizard(TTaskScheduler& scheduler, const TaskWizardSources& sources,
                                             QWidget* parent = nullptr);
