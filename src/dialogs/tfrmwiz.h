// The recording wizard: four pages (record mode; device, source, volume and
// sample format; output format, name and extras; summary) whose choices
// "Finish" copies into the main window and the options dialog, optionally
// starting the recording. One instance is reused for every opening.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QStackedWidget;
class Tfrmoption;
class WizardMainLink;

class Tfrmwiz : public QDialog {
  Q_OBJECT
 public:
  Tfrmwiz(WizardMainLink* link, Tfrmoption* options, QWidget* parent = nullptr);
  ~Tfrmwiz() override;

  // Opening from the main window: a stay-on-top main window turns normal
  // (Tag remembers it), the output name is computed afresh and the first
  // page shows. False, after saying why, when no output name can be made.
  bool PrepareOpenFromMain();
  int ShowModalFromMain();
  void done(int r) override;

  // Navigation.
  void UpdateWizardButtons();
  void NextPage();
  void PreviousPage();

  // Filling the pages.
  void FillWizardDevices();
  void FillWizardSources();
  void FillWizardFormats();
  void ApplyRecordMode();
  void BuildWizardSummary();
  static QString EnabledText(const QCheckBox* box);

  // "Finish": false when the output name is refused (the wizard stays open).
  bool ApplyWizard();

  // Change handlers and buttons.
  void devicecomChange();
  void sourcecomChange();
  void formatcomChange();
  void barvolChange();
  void btnformatClick();
  void btndarClick();
  void btncompressorClick();
  void btnagcClick();

  int RecordMode() const;  // 0..4, the "Record Mode" item
  void SetRecordMode(int mode);

  // 1 when the main window was stay-on-top at opening and becomes so at closing.
  int Tag = 0;

  // Controls, by component name.
  QLabel* Image1 = nullptr;
  QStackedWidget* PageControl1 = nullptr;
  QWidget *tabstart = nullptr, *tabsource = nullptr, *tabout = nullptr, *tabfin = nullptr;
  QPushButton *btnback = nullptr, *btnnext = nullptr, *btncancel = nullptr;
  QGroupBox* rrecmode = nullptr;
  QButtonGroup* rrecmodeItems = nullptr;
  QComboBox *devicecom = nullptr, *sourcecom = nullptr;
  QSlider* barvol = nullptr;
  QLabel* lvol = nullptr;
  QComboBox *cchannel = nullptr, *csample = nullptr, *cbit = nullptr;
  QComboBox* formatcom = nullptr;
  QPushButton* btnformat = nullptr;
  QLineEdit* eoutname = nullptr;
  QCheckBox *cagc = nullptr, *cdar = nullptr, *ccompressor = nullptr;
  QPushButton *btnagc = nullptr, *btndar = nullptr, *btncompressor = nullptr;
  QPlainTextEdit* mwiz = nullptr;
  QCheckBox* crun = nullptr;

 private:
  void BuildFrame();
  void BuildButtons();
  // Grows the pixel layout with the font and widens it for the record modes.
  void FitToFont();
  void BuildStartPage();
  void BuildSourcePage();
  void BuildOutputPage();
  void BuildFinishPage();
  void ConnectEvents();
  // Opens capture device `index` for the wizard; a failure is said, not fatal.
  bool OpenCapture(int index);
  void ShowOptionsPage(int page);

  WizardMainLink* link_;
  Tfrmoption* options_;
  int FOutputItem = -1;           // devicecom entry of the open output device
  bool FCaptureTouched = false;   // the wizard opened capture devices since its opening
};
