// The options dialog. Its controls are the live settings of the program: the
// settings file is loaded into them and saved from them, and the recording
// engine, filters, effects, silence detection and naming read them directly
// by their component names. Owns the options sections of the settings file and
// the three hotkey sections.
#pragma once

#include <QDialog>
#include <QString>
#include <QVariant>
#include <vector>

#include "dialogs/option_rules.h"

class MainWindowLink;
class IniSnapshot;
class IniEditSession;
class TUpDown;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QGroupBox;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// One setting of the file bound to one control, in load and save order.
struct OptionSetting {
  // Keys written and applied only under a condition of their page.
  enum class Condition { Always, Mp3Cbr, Mp3Vbr, WmaCbr, WmaVbr };
  QString section;
  QString key;
  QWidget* control;  // QAbstractButton, QComboBox, QSlider, QLineEdit or TUpDown
  QVariant absent;   // invalid: computed (the default output folder)
  int page;
  QVariant pageDefault;  // invalid: the "Default" button leaves the control as it is
  Condition condition = Condition::Always;
};

class Tfrmoption : public QDialog {
  Q_OBJECT
 public:
  explicit Tfrmoption(MainWindowLink* link, QWidget* parent = nullptr);
  ~Tfrmoption() override;

  // --- settings file ------------------------------------------------------
  void LoadSettings();
  void SaveSettings();  // throws EAppError when the file cannot be written
  void ResetPageDefaults(int page);
  void SaveHotkeyOfAction();
  void WriteDefaultHotkeys();
  void LoadStartHotkey();
  // Shows the hotkey of action 0..2 ("keystart", "keypause", "keystop").
  void LoadHotkeyOfAction(int action);
  const std::vector<OptionSetting>& Settings() const { return FSettings; }
  // The output folder used when the file names none.
  QString DefaultOutputFolder() const;

  // --- accessors for the recording engine -------------------------------------
  QString NextOutputName(bool createFolders, int number) const;
  int SplitMode() const;
  qint64 SplitLimit() const;
  // The six split limits in the order of their stored index ("Split"/"Limit").
  QList<QRadioButton*> SplitChoiceButtons() const;
  bool SplitCreatesNewFile() const;
  static int FormatSettingsPage(int formatIndex) { return ::FormatSettingsPage(formatIndex); }

  // --- lists --------------------------------------------------------------
  void FillMp3BitrateLists();
  void FillSpeexBitrateList();
  void FillWmaRateLists();
  int WmaNominalBitrate();
  // The bitrates in kbps the size display assumes for the MP3 and OGG pages.
  int Mp3NominalBitrate() const;
  int OggNominalBitrate() const;

  // --- encoder command lines from the encoder pages --------------------------
  // channelCount is the number of channels the encoder receives.
  QString BuildMp3CommandLine(int channelCount, const QString& file) const;
  QString BuildOggCommandLine(int channelCount, const QString& file) const;
  QString BuildWavPackCommandLine(const QString& file) const;
  QString BuildAacCommandLine(const QString& file) const;
  QString BuildMpcCommandLine(const QString& file) const;
  QString BuildSpeexCommandLine(const QString& file) const;

  // --- navigation and showing -----------------------------------------------
  // Selects the tree node of a page, which shows it.
  void ShowPage(int page);
  void SelectNode(int node);
  int NodeIndex(const QTreeWidgetItem* item) const;
  QTreeWidgetItem* Node(int node) const { return FNodes.at(node); }
  // Opening from the main window: a stay-on-top main window turns normal while
  // the dialog shows, and Tag remembers to restore it. Then runs modally.
  int ShowModalFromMain();
  void PrepareOpenFromMain();
  // What closing does to the main window's stay-on-top style; Tag is then 0.
  void ApplyTagOnClose();
  void done(int r) override;

  // 0 nothing, 1 make the main window stay on top, 2 make it normal.
  int Tag = 0;

  // --- controls, named as the settings and other windows know them ----------
  QTreeWidget* treeopt = nullptr;
  QStackedWidget* PageControl1 = nullptr;
  QWidget *darsheet = nullptr, *outputsheet = nullptr, *Miscsheet = nullptr, *splitsheet = nullptr,
          *compresheet = nullptr, *agcsheet = nullptr, *filtersheet = nullptr,
          *hotkeysheet = nullptr, *mp3sheet = nullptr, *wmasheet = nullptr, *oggsheet = nullptr,
          *TabSheet1 = nullptr, *aacsheet = nullptr, *mpcsheet = nullptr, *speexsheet = nullptr;
  QPushButton *btndall = nullptr, *btndef = nullptr, *btnok = nullptr, *btncancel = nullptr;

  // DAR
  QLabel *ldbstart = nullptr, *lslient = nullptr;
  QSlider *barstartdb = nullptr, *barslient = nullptr;
  QCheckBox *cslientpause = nullptr, *cslientstop = nullptr, *cslientnew = nullptr;
  // output
  QLineEdit *Efolder = nullptr, *eprefix = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QCheckBox *coverwrite = nullptr, *cprefix = nullptr, *cdatatime = nullptr, *caiu = nullptr;
  QComboBox* comdatatime = nullptr;
  QLabel* lsname = nullptr;
  // Misc
  QCheckBox *csot = nullptr, *copen = nullptr, *cadd = nullptr, *cplay = nullptr,
            *cimrun = nullptr, *cmintotray = nullptr, *cshowtime = nullptr;
  // split
  QCheckBox *csplitnew = nullptr, *csplitstop = nullptr;
  QGroupBox* gsplit = nullptr;  // holds the six limits; stores which is chosen
  QRadioButton *csplit74 = nullptr, *csplit80 = nullptr, *csplit650 = nullptr,
               *csplit700 = nullptr, *csplitcl = nullptr, *csplitcs = nullptr;
  QLineEdit *esplitcl = nullptr, *esplitcs = nullptr;
  // compressor
  QCheckBox* ccompressor = nullptr;
  QSlider *barcomgain = nullptr, *barcomattack = nullptr, *barcomrelease = nullptr,
          *barcomthreshold = nullptr, *barcomratio = nullptr, *barcompredelay = nullptr;
  QLabel *lcomgain = nullptr, *lcomattack = nullptr, *lcomrelease = nullptr,
         *lcomthreshold = nullptr, *lcomratio = nullptr, *lcompredelay = nullptr;
  // AGC
  QCheckBox* cagc = nullptr;
  QSlider *baragctarget = nullptr, *baragcquiet = nullptr, *baragcrate = nullptr,
          *baragcgain = nullptr, *baragcdelay = nullptr;
  QLabel *lagctarget = nullptr, *lagcquiet = nullptr, *lagcrate = nullptr, *lagcgain = nullptr,
         *lagcdelay = nullptr;
  // filters
  QCheckBox *clowpass = nullptr, *chighpass = nullptr, *cbandpass = nullptr, *cnotchpass = nullptr;
  QSlider *barfilterlow = nullptr, *barfilterhigh = nullptr, *barnotchpass = nullptr;
  QLabel *lfilterlow = nullptr, *lfilterhigh = nullptr, *lnotchpass = nullptr;
  // hot key
  QCheckBox *chotkey = nullptr, *keyctrl = nullptr, *keyshift = nullptr, *keyalt = nullptr;
  QComboBox *cobaction = nullptr, *cboHotkey = nullptr;
  // MP3
  QComboBox *mp3channelcom = nullptr, *mp3presetcom = nullptr, *mp3cbrbitratecom = nullptr,
            *mp3minbitratecom = nullptr, *mp3maxbitratecom = nullptr;
  QRadioButton *cmp3preset = nullptr, *cmp3cbr = nullptr, *cmp3vbr = nullptr;
  QLabel* lmp3quality = nullptr;
  QSlider* cbarmp3quality = nullptr;
  QCheckBox *cmp3abr = nullptr, *cmp3crc = nullptr, *cmp3non = nullptr, *cmp3copy = nullptr;
  QLineEdit* emp3abr = nullptr;
  TUpDown* udmp3abr = nullptr;
  // WMA
  QComboBox *wmachannelcom = nullptr, *wmacodeccom = nullptr, *wmacbrbitratecom = nullptr,
            *wmaqualitycom = nullptr;
  QRadioButton *cwmacbr = nullptr, *cwmavbr = nullptr;
  // OGG
  QComboBox *oggchannelcom = nullptr, *oggnorbitratecom = nullptr, *oggminbitratecom = nullptr,
            *oggmaxbitratecom = nullptr;
  QCheckBox *coggquality = nullptr, *coggaverage = nullptr;
  QSlider* cbaroggquality = nullptr;
  QLabel* loggquality = nullptr;
  // lossless
  QComboBox *apelevelcom = nullptr, *flaclevelcom = nullptr, *wvchannelcom = nullptr,
            *wvqualitycom = nullptr;
  QCheckBox* cwvcompress = nullptr;
  QRadioButton *cwvbit = nullptr, *cwvsample = nullptr;
  QSlider* barwvcompress = nullptr;
  QLabel* lwvcompress = nullptr;
  // AAC
  QComboBox *aacformatcom = nullptr, *aacmpegcom = nullptr;
  QRadioButton *caacvbr = nullptr, *caacabr = nullptr;
  QSlider *baraacquality = nullptr, *baraacabr = nullptr, *baraacbandwith = nullptr;
  QLabel *laacquality = nullptr, *laacbitrate = nullptr, *laacbandwith = nullptr;
  QCheckBox* caacbandwith = nullptr;
  // MPC
  QComboBox *mpcformatcom = nullptr, *mpcchannelcom = nullptr, *mpcpresetcom = nullptr;
  QRadioButton *cmpcpreset = nullptr, *cmpccustomset = nullptr;
  QSlider* barmpcquality = nullptr;
  QLabel* lmpcquality = nullptr;
  // Speex
  QRadioButton *cspeexcbr = nullptr, *cspeexabr = nullptr, *cspeexvbr = nullptr;
  QComboBox *speexbitratecom = nullptr, *speexmodecom = nullptr;
  QSlider* barspeexquality = nullptr;
  QCheckBox *cspeexvad = nullptr, *cspeexagc = nullptr, *cspeexnr = nullptr;

  // Set while the hotkey controls are filled from the file, so that their
  // change events do not write back.
  bool FHotkeyLoading = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // building (one file per group of pages)
  void BuildFrame();
  void BuildButtons();
  void BuildTree();
  // Sizes the tree, the pages, the buttons and the dialog to the font and the
  // pages' contents (after all pages are built).
  void FitFrame();
  QSize TreeSizeNeeded() const;
  void BuildDarPage();
  void BuildOutputPage();
  void BuildMiscPage();
  void BuildSplitPage();
  void BuildCompressorPage();
  void BuildAgcPage();
  void BuildFiltersPage();
  void BuildHotkeyPage();
  void BuildMp3Page();
  void BuildWmaPage();
  void BuildOggPage();
  void BuildLosslessPage();
  void BuildAacPage();
  void BuildMpcPage();
  void BuildSpeexPage();
  QWidget* AddPage(const char* name, const QString& caption);
  QButtonGroup* MakeGroup(std::initializer_list<QRadioButton*> buttons);
  void BuildSettingsTable();

  // rules
  void ConnectRules();
  void ConnectLabels();
  void NameControls();  // names for a screen reader
  void OnTreeSelection(QTreeWidgetItem* current);
  void OnPageShown(int page);
  void ApplySplitRadioRule();
  void ApplySplitBoxRule(QCheckBox* self, QCheckBox* other);
  void ApplyMp3RadioRule();
  void ApplyOggEnabling();
  void ApplyAacRadioRule();
  void UpdateWavPackLabel();
  void UpdateFilterLabels(bool low, bool high);
  void UpdateNamePreview();
  void OnWmaRadio(bool cbr);
  void OnChotkey(bool checked);
  void OnFolderButton();
  void OnOk();
  void OnDefault();
  void OnDefaultAll();

  // settings helpers
  void LoadSetting(const IniSnapshot& ini, const OptionSetting& s);
  void SaveSetting(IniEditSession& session, const OptionSetting& s) const;
  bool ConditionHolds(OptionSetting::Condition c, bool forSaving) const;
  void ApplyValue(QWidget* control, const QVariant& value);
  QVariant AbsentValue(const OptionSetting& s) const;
  SplitChoice ChosenSplit() const;
  // The sample rate the MP3 bitrate lists were filled for: their items, and
  // so what an index means, stay those of that rate until they are filled
  // again, whatever the main window's rate is now.
  int FMp3ListsRateIndex = 5;
  QString SettingsPath() const;

  MainWindowLink* link_;
  std::vector<QTreeWidgetItem*> FNodes;
  std::vector<OptionSetting> FSettings;
};

// Checks or unchecks a radio button as the settings do: unchecking leaves its
// group with no choice, which an exclusive button group would refuse.
void SetRadioChecked(QRadioButton* button, bool checked);
