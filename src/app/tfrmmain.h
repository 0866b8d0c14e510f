// The main window: recording controls, the display panel, the list panels,
// menus and the state the recording parts share. It owns the process: its
// creation checks and initialises the audio library, its first showing fills
// the sources and loads the settings, and closing it saves and frees.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <QImage>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/control_states.h"
#include "app/hotkeys/hotkey_backend.h"
#include "audio/zaudio.h"
#include "dialogs/main_window_link.h"
#include "dialogs/wizard_main_link.h"
#include "library/recording_list.h"
#include "recording/disk_watch.h"
#include "recording/recording_engine.h"
#include "recording/recording_monitor.h"

class BackgroundWork;
class TScanThread;
class TSpectrum;
namespace zdsp {
class RecordingFilters;
}
class Tfrmoption;
class Tfrmwiz;
class Tfrmtag;
struct TagReaders;
class TImageList;
class DesktopNotification;
class TTaskScheduler;
class TTaskItem;
class QTreeWidgetItem;

class Tfrmmain : public QWidget, public MainWindowLink, public WizardMainLink {
  Q_OBJECT

 public:
  // Builds the controls and runs the creation sequence. A failure that ends
  // the program goes through the message service.
  explicit Tfrmmain(QWidget* parent = nullptr);
  ~Tfrmmain() override;

  // The options dialog is created after the main window; the first showing uses it.
  void SetOptionsDialog(Tfrmoption* options) { frmoption_ = options; }
  Tfrmoption* OptionsDialog() const { return frmoption_; }
  Tfrmtag* TagDialog() const { return frmtag_.get(); }
  // The recording wizard, created after the options dialog and reused.
  void SetWizardDialog(Tfrmwiz* wizard) { frmwiz_ = wizard; }
  Tfrmwiz* WizardDialog() const { return frmwiz_; }

  // Lifecycle.
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void FormDestroy();

  // Control states.
  void SetControlState(ControlState state);

  // Capture devices and inputs.
  void ListCaptureDevices();
  void ListInputs(int device);
  void RslistChange();
  void OpenCaptureDevice(int index);
  void OpenLoopbackDevice(int index);
  void SelectInput(int index);
  void SelectRateItem(int rate);
  void CvolumeChange();
  void ApplyLoopbackVolume();
  void btnsourcerefreshClick();

  // Recording.
  void btnrecClick();
  void btnpauseClick();
  void btnstopClick();
  void StartRecording();
  void StopRecording();
  void TogglePauseRecording();
  bool CheckBitDepth();  // true: the format's encoder refuses the bit depth (and says so)
  // The recording's chain, in this order; false when an effect, a DSP
  // function or its parameters cannot be set.
  bool AttachFilters();
  bool AttachCompressor();
  bool AttachAgc();
  void UpdateStatusText();
  // The command line of an external encoder for the output file; empty where
  // none is available.
  QString EncoderCommandLine(int format, const QString& file) const;

  // The one-second monitor.
  void RectimerTimer();
  void ShowWavSize();
  void ShowMp3Size();
  void ShowWmaSize();
  void ShowOggSize();
  void ShowApeSize();
  void ShowFlacSize();
  void ShowTtaSize();
  void ShowWvSize();
  void ShowAacSize();
  void ShowMpcSize();
  void ShowSpxSize();
  void DrawLevelMeter(zaudio::DWORD channel);
  void CheckSplit();

  // Silence handling.
  void SilenceAction();
  void cdarClick();

  // Scheduled run. The command line (arguments as given, the program
  // first) and the task a service started us for ($ZOVEDU_TASK, may be empty).
  void SetCommandLine(const QStringList& arguments, const QString& taskUnit = QString());
  // At the end of the first showing: "-run" [task file] applies the file and
  // records as the Record button does.
  void RunModeCheck();
  // Applies a task file; a key missing or out of range is skipped and the
  // others still applied. FScheduledRun is set when it named the output file.
  void ApplyTaskConfig(const QString& path);
  // Another start's command line: "-run" records here when idle ("started",
  // or "busy" while recording, "failed" when the start failed); anything
  // else brings this window to the front ("shown").
  QString HandOver(const QStringList& arguments, const QString& taskUnit);
  // A run handed over while a modal window was open: it starts once none is.
  struct PendingRun {
    QStringList arguments;
    QString task;
  };
  std::optional<PendingRun> FPendingRun;

  // Hotkeys (tfrmmain_hotkeys.cpp). action: 0 start, 1 pause, 2 stop.
  void HotkeyMessage(int action);
  // Hotkeys that arrived while another action or a modal window was busy.
  int PendingHotkeyCount() const { return static_cast<int>(FPendingHotkeys.size()); }

  // Ends the program as closing the window does, without asking (a
  // termination signal: logout, kill).
  void CloseWithoutAsking();
  // A termination signal (logout, kill): the same, and no message waits for
  // a click.
  void EndForTermination();
  // The program ends through exit() with this window still there (the
  // display went away): the recording completes and is listed, and the
  // audio library stops its threads, before anything static is destroyed.
  void FinishBeforeExit();
  void ReleaseAudio();
  // Closes every modal box and dialog as Cancel would; true when there was one.
  bool RejectModalWindows();

  // Tray (tfrmmain_tray.cpp). Minimising hides the window to the tray icon
  // when asked to and a tray host shows icons; the icon animates while a
  // recording runs and shows the recording's length every minute.
  void MinimiseToTray();
  void ShowMainFrom1Click();  // back from the tray, where the window was
  void TrayIcon1Click(QSystemTrayIcon::ActivationReason reason);
  void UpdateTrayAnimation();  // frames and timer after the recording's state changed
  bool TrayAnimating() const;
  void ShowTrayBalloon(const QString& text);

  // Settings of the window (section "Main").
  void LoadMainSettings();
  void SaveMainSettings();

  // Lower panels.
  void btnreclistClick();

  // Task list. Rows keep the task's name; the task itself is looked up when
  // a row is used, so a rebuilt scheduler list never leaves a row dangling.
  void RefreshTaskList();
  void UpdateTaskListItem(QTreeWidgetItem* row);
  void SchedulerBeforeTaskAdded(TTaskScheduler* sender, TTaskItem* task, bool& canAdd);
  void tasklistClick();
  void Add1Click();
  void Properties1Click();
  void DeleteTask1Click();
  void Disable1Click();
  void RunTask1Click();
  void Refresh1Click();
  // First showing: fills the list when the scheduler answers; without a
  // service manager the program runs on and the panel says so when used.
  void FillTaskListAtStart();
  // The user opened the task panel: says when the scheduler cannot be used.
  void TaskPanelOpened();
  // The scheduler, activated on first use; throws ESchedulerError when the
  // user's service manager does not answer.
  TTaskScheduler& ActiveScheduler();
  std::unique_ptr<TTaskScheduler> Scheduler;
  // Frees the single-instance socket before "Run Task" starts the task.
  std::function<void()> ReleaseInstance;
  // Takes the single-instance socket back when the run could not be started.
  std::function<void()> ReacquireInstance;

  // Recordings list.
  void LoadRecordingList();
  bool SaveRecordingList();  // false (and said so) when the list file cannot be written
  void AddFinishedRecording();
  void ReclistClick();
  void PopupMenu1Popup();
  void ReclistColumnClick(int column);
  void ReclistDblClick();
  void menudelClick();
  void menuclearClick();
  void menucopyClick();
  void menugotoClick();
  void menumailClick();
  void menutagClick();
  void Editaudio1Click();
  void SoundEditor1Click();

  // Playback and the display.
  void PlayListedFile(const RecordingListEntry& entry);
  void StartPlayback();
  void StopPlayback();
  void TogglePlaybackPause();
  void PlaybackEnded(zaudio::DWORD stream);
  void DrawWaveform();
  void DrawPlayPosition(int y, const QColor& colour, zaudio::QWORD position);
  void PBMouseDown(int x);
  void FFTTimerTimer();
  void PaintFrameClick();
  void btnscheduleClick();
  int OpenListPanel() const;  // 0 none, 1 recordings list, 2 task list

  // Recording format lists.
  void csampleChange();
  void cchannelChange();
  void cbitChange();
  void cformatChange();

  // Links, help and about.
  void Help1Click();
  void vistalabelClick();
  void BtnAboutClick();
  void Exit1Click();
  void Exit2Click();
  void CentreOnMonitor();

  // Output folder link.
  void outlabelClick();
  void outlabelMouseDown(Qt::MouseButton button);
  void outlabelMouseUp();
  void outlabelMouseEnter();
  void outlabelMouseLeave();

  // MainWindowLink.
  int CurrentFormatIndex() const override;
  int SampleRateIndex() const override;
  QString WorkFolder() const override { return FWorkFolder; }
  QString MusicFolder() const override { return FMusicFolder; }
  bool IsStayOnTop() const override;
  void SetStayOnTop(bool onTop) override;
  void ReleaseHotkeys() override;
  void InstallHotkeys() override;
  void ReinstallHotkeys() override;
  void UpdateFormatInfo() override;
  void SetOutputFolder(const QString& folder) override;

  // The recording wizard (tfrmmain_wizard.cpp): opening, and WizardMainLink.
  void btnwizClick();
  QStringList SourceNames() const override;
  int ChosenSource() const override;
  bool IsLoopbackSource(int index) const override;
  int VolumePosition() const override;
  QStringList FormatNames() const override;
  int ChosenFormat() const override;
  void ChooseRecordSettings(int channelIndex, int rateIndex, int bitsIndex, bool dar) override;
  void ChooseSource(int index) override;
  void ChooseFormat(int index) override;
  void SetVolumeSlider(int position) override;
  void RunRecordSettingHandlers() override;
  void ChooseSampleRate(int rateIndex) override;
  void SetWizardOutputName(const QString& path) override;
  void RunSourceChange() override;
  void StartRecordingAsRecordButton() override;
  void ReopenChosenSource() override;

  // Fields shared with the recording parts.
  bool FVistaOrLater = false;
  bool FFirstShow = false;
  QString FExeFolder;
  QString FWorkFolder;
  QString FMusicFolder;
  QString FOutputFolder;
  QString FLastRecordedFile;
  int FSampleRate = 44100;
  int FBitsPerSample = 16;
  int FChannels = 2;
  zaudio::HRECORD FRecordChannel = 0;
  zaudio::DWORD FPlayStream = 0;
  zaudio::HFX FVolumeEffect = 0;
  RecordingRows FRecordingRows;  // in display order
  int FSortColumn = 0;
  bool FListUnread = false;  // reclist.txt could not be read: it is not replaced until it can be
  std::string FEditorFolder;
  zaudio::QWORD FBytesPerPixel = 0;
  std::int32_t FPlayedPixel = 0;
  std::unique_ptr<TScanThread> FScan;  // the played file's waveform scan
  std::unique_ptr<TSpectrum> FSpectrum;
  QImage FSpectrumFrame;               // what PaintFrame shows
  // The chain's settings, fixed when a recording starts.
  int FLowCut = 0, FHighCut = 0, FNotchFrequency = 0;
  zaudio::DX8_COMPRESSOR FCompressorParams;
  zaudio::BFX_DAMP FAgcParams;
  zaudio::HFX FEffect = 0;  // the effect set last
  std::unique_ptr<zdsp::RecordingFilters> FFilters;  // the filters' state, for one capture
  int FRecordCounter = 0;
  std::int64_t FElapsedSeconds = 0;
  std::int64_t FOutputSize = 0;
  bool FWizardName = false;
  bool FScheduledRun = false;
  QString FWizardOutName;  // the wizard's output name, used while FWizardName is set
  // The recording in progress: its capture, writer and the state its
  // callbacks share.
  std::unique_ptr<RecordingEngine> FEngine;
  int FRecordingFormat = 0;  // the format of the running recording
  QString FStatusText;
  QString FFreeSpaceText;
  int FSplitMode = -1;
  std::int64_t FSplitLimit = 0;
  bool FSplitNewFile = false;
  int FTrayTicks = 0;
  int FMeterColumn = 0;
  int FMp3Bitrate = 0, FOggBitrate = 0, FWmaBitrate = 0;
  QImage FWaveBitmap;
  bool FRecordingFailed = false;  // a failure was reported for the running recording
  bool FStopping = false;         // a stop is completing the file
  int FVisMode = 1;  // spectrum display mode
  bool FListPanelOpen = false;
  QString FScheduledOutName;
  QStringList FCommandLine;
  QString FTaskUnit;         // "zovedu-task-<id>" of the run in progress or about to start
  bool FTaskRecording = false;  // the running recording is that task's
  // The user's split options while a task's stop time stands in for them.
  struct SplitOptions {
    bool stop = false, newFile = false;
    int choice = -1;  // index of the checked split radio button, -1 none
    QString length;
  };
  std::optional<SplitOptions> FUserSplit;
  std::vector<int> FLoopbackDevices;
  std::vector<std::int16_t> FLeftLevels, FRightLevels;

  // Controls, by component name.
  QPushButton *btnrec, *btnpause, *btnstop, *btnoption, *btnwiz, *btnreclist, *btnschedule,
      *btnhelp, *BtnAbout, *btnsourcerefresh;
  QGroupBox *grecsource, *grecsettings, *greclist, *grectask;
  QComboBox *Rslist, *cchannel, *csample, *cbit, *cformat;
  QSlider* Cvolume;
  QLabel *lvol, *vistalabel, *infodevice;
  QCheckBox* cdar;
  QLabel *lrname, *outlabel, *lrlength, *lrsize, *lrstatus, *lformatinfo;
  QWidget *displaypanel, *PaintFrame, *PB;
  QLabel* Image1;
  QTreeWidget *Reclist, *tasklist;
  QPushButton *btnaddtask, *btnedittask, *btndeltask, *btnruntask;
  QMenu* PopupMenu2;
  QAction *Add1, *DeleteTask1, *RunTask1, *Disable1, *Refresh1, *Properties1;
  QPushButton *btnplay, *btndel, *btntagedit, *btngoto;
  QMenu* PopupMenu1;
  QAction *menuplay, *menudel, *menuclear, *menutag, *menumail, *menucopy, *menugoto, *Editaudio1;
  QTimer *Rectimer, *FFTTimer;
  QSystemTrayIcon* TrayIcon1;
  TImageList *ImageList5, *ImageList1;
  QMenu *PopupMenu3, *PopupMenu4;
  QAction *ShowMainFrom1, *Help2, *Exit1;
  QAction *Record1, *Pause1, *Stop1, *Wizard1, *Scheduler1, *RecordsList1, *SoundEditor1,
      *Settings1, *Help1, *About1, *Exit2;

 private slots:
  void UPowerPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                               const QStringList& invalidated);

 signals:
  // The window closed for good: the program ends.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void ConnectEvents();
  // Names, descriptions, tab order and keyboard access for what a screen
  // reader and a keyboard reach.
  void BuildAccessibility();
  // A list's context menu where its current row is, for Shift+F10.
  void OpenListMenuFromKeyboard(QTreeWidget* list);
  // Enter or Space on a focused link label clicks it.
  bool LinkKeyPressed(QObject* watched, QEvent* event);
  // The text alternatives of the level display and the spectrum.
  void DescribeLevels(std::uint32_t levelWord);
  void DescribeSpectrum();
  void SetVolumePosition(int position);
  void SetClientHeight(int height);
  void TogglePanel(QGroupBox* panel, QGroupBox* other);  // moves the slider and applies it once
  bool LoopbackSelected() const;
  void OpenRecordingDevice(int index);
  // Recording steps shared by a start and the hand-over to the next file.
  bool ChooseOutputFile(QString& path);
  bool WriterFor(int format, const QString& file, WriterRequest& writer);
  bool WmaWriterSettingsFor(WmaWriterSettings& wma) const;  // false: no value to open with
  void PrepareFileMonitor();
  // Split, silence new file: the capture runs on. With awaitSound the next
  // file begins with the first block louder than the silence threshold.
  void ContinueInNextFile(bool awaitSound);
  void FinishedFile(const QString& file, bool written);
  // Files a split closed, completed in the background: each is reported and
  // listed once it and every file before it are complete.
  struct FinishingFile {
    QString path;
    QString length;  // the length display when the file was closed
    int format = 0;
    std::shared_ptr<std::atomic<int>> written;  // -1 while completing, then 1 or 0
  };
  std::deque<FinishingFile> FFinishing;
  bool FListingFinished = false;
  void ListCompletedFiles();
  bool FSwitchingFile = false;   // a split is deciding its next file
  QString FFileBeforeWait;       // the file a silence closed while the next waits for sound
  void ChainFailed();
  void AddFinishedRecording(bool mayPlay);
  void AddFinishedFile(const QString& file, const QString& length, const QString& type, bool mayPlay);
  void FindSoundEditor();
  void ShowRecordingRows();
  std::vector<int> SelectedRows() const;
  const RecordingListEntry* SelectedEntry() const;
  std::vector<std::string> SelectedPaths() const;
  void SelectOnly(int row);
  void PlayingTick();
  bool FBlinkRed = false;
  bool FClosing = false;  // the window is closing: a stop plays nothing
  void OnRecordingFailure(RecordingFailure failure, zaudio::DWORD handle, const QString& detail);
  // The output file or its folder vanished while recording: stop, and keep
  // what was recorded where the user is told.
  bool OutputVanished();
  void RecoverVanishedOutput();
  bool FOutputSeen = false;  // the current output file has been there
  // A look at the output's disk four times a second: the recording stops
  // while the writer can still finish its file.
  void DiskWatchTick();
  void StopForFullDisk(std::uint64_t freeBytes);
  QTimer* FDiskTimer = nullptr;
  DiskWatch FDiskWatch;
  void ShowFormatSize(int format);
  void ToggleStatusColour();
  // The scheduled run around its recording: the run state, the stop time
  // shortened by a late start, the battery watch, and after the end the
  // user's split options back and a finished task deleted when asked.
  void PrepareTaskRun();
  void TaskRecordingStarted();
  void TaskRecordingEnded();
  void RestoreUserSplit();
  void StartHandedOverRun(const QStringList& arguments, const QString& taskUnit);
  void RunPendingRun();
  QTimer* FPendingRunTimer = nullptr;
  void WatchBattery(bool on);
  bool FWatchingBattery = false;

  Tfrmoption* frmoption_ = nullptr;
  Tfrmwiz* frmwiz_ = nullptr;
  // The file readers of the tag editor, kept for the whole run, and the editor.
  void CreateInfoReaders();
  std::unique_ptr<TagReaders> FInfoReaders;
  std::unique_ptr<Tfrmtag> frmtag_;
  BackgroundWork* FBackground = nullptr;  // files of earlier splits being completed
  bool destroyed_ = false;
  bool closingWithoutAsking_ = false;
  // Hotkeys (tfrmmain_hotkeys.cpp).
  void InstallHotkeysFor(bool userAsked);
  void HotkeyRefused(const QString& message);
  void ReportHotkeyRefusals();
  bool HotkeyMustWait() const;
  void RunPendingHotkeys();
  void RunHotkey(int action);
  std::unique_ptr<hotkeys::HotkeyBackend> FHotkeyBackend;  // made at the first install
  bool FHotkeyBackendMade = false;
  bool FHotkeysInstalled = false;
  bool FHotkeyUserAsked = false;     // the running install was the user's: refusals are shown
  bool FHotkeyRefusalShown = false;  // this install's refusal box was shown
  bool FHotkeyReportQueued = false;
  QStringList FHotkeyRefusals;       // this install's refusals not yet reported
  int FHotkeyDepth = 0;              // a hotkey's action is running
  std::vector<int> FPendingHotkeys;
  QTimer* FHotkeyRetry = nullptr;
  // The tray: its parts, the animation and the balloon's client.
  void BuildTray();
  void ConnectTray();
  QTimer* FTrayAnimation = nullptr;
  int FTrayFrame = 0;
  DesktopNotification* FNotification = nullptr;
};

// The help and "Stereo Mix" pages, the product site and the support address.
extern const char* const kHelpPage;
extern const char* const kStereoMixPage;
extern const char* const kOfficialSite;
extern const char* const kSupportAddress;

// "-run", in any case, and nothing longer.
bool IsRunArgument(const QString& argument);
// path when no file of that name exists, else the first free
// "<base>-<n><ext>" with n >= 2 (an earlier recording is never replaced).
QString FirstFreeName(const QString& path, const std::function<bool(const QString&)>& exists);

// Program entry after the application object exists: creates the windows in
// order and runs the message loop.
class QApplication;
int RunProgram(QApplication& app);
