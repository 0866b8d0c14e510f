// Record, pause and stop from the window: control states, the monitor's
// texts, bit-depth refusals, naming questions and refusals, splitting,
// silence handling, failures while recording, and closing.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>

#include "recording_window_fixture.h"
#include "audio/encode/encoder_testing.h"
#include "services/app_error.h"
#include "services/size_text.h"
#include "services/message_service.h"

TEST_F(RecordingWindowTest, RecordPauseAndStopWithTheirStatesAndTexts) {
  Tfrmmain& w = Open();
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wav");
  EXPECT_TRUE(w.Rectimer->isActive());
  for (const char* off : {"btnrec", "Record1", "btnoption", "Rslist", "btnsourcerefresh", "cformat", "outlabel"})
    EXPECT_FALSE(Enabled(off)) << off;
  for (const char* on : {"btnpause", "btnstop", "Stop1", "Cvolume"}) EXPECT_TRUE(Enabled(on)) << on;

  Second();
  Second();
  EXPECT_EQ(w.lrlength->text(), "00:00:02");
  EXPECT_EQ(w.lrstatus->text(), "Recording...");
  EXPECT_TRUE(w.lrsize->text().startsWith("344 KB/"));  // two seconds of 16-bit stereo
  EXPECT_TRUE(w.lrsize->text().endsWith(" Free Space"));

  w.btnpauseClick();
  EXPECT_EQ(w.lrstatus->text(), "Recording Paused");
  EXPECT_EQ(w.btnpause->toolTip(), "Resume Recording");
  EXPECT_FALSE(w.Rectimer->isActive());  // paused time is not counted
  EXPECT_FALSE(Enabled("btnrec"));
  backend->pump(44100);  // nothing arrives while paused
  w.btnpauseClick();
  EXPECT_TRUE(w.Rectimer->isActive());
  EXPECT_EQ(w.btnpause->toolTip(), "Pause Recording");
  Second();
  EXPECT_EQ(w.lrlength->text(), "00:00:03");

  w.btnstopClick();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(w.lrstatus->text(), "Idle...");
  EXPECT_FALSE(w.Rectimer->isActive());
  EXPECT_TRUE(Enabled("btnrec") && Enabled("Rslist") && Enabled("btnsourcerefresh"));
  EXPECT_FALSE(Enabled("btnstop"));
  auto wav = Wav("Rectest-01.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->data.size(), 3u * 44100 * 4);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();

  // The context menu starts the next one.
  w.Record1->trigger();
  EXPECT_EQ(w.lrname->text(), "Rectest-02.wav");
  w.Stop1->trigger();
  EXPECT_EQ(w.FRecordChannel, 0u);
}

TEST_F(RecordingWindowTest, BitDepthTheEncoderRefusesStartsNothing) {
  Tfrmmain& w = Open();
  w.cformat->setCurrentIndex(5);  // FLAC
  w.cbit->setCurrentIndex(3);     // 32 bit
  w.btnrecClick();
  EXPECT_EQ(w.FRecordChannel, 0u);
  ASSERT_EQ(messages.texts(), QStringList{"FLAC Encoder not support 32bit"});
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Information);
  EXPECT_EQ(w.FRecordCounter, 0);
  EXPECT_FALSE(QFile::exists(OutFile("Rectest-01.flac")));
}

TEST_F(RecordingWindowTest, ExistingFileAsksAndNoTakesTheNextNumber) {
  Tfrmmain& w = Open();
  QFile existing(OutFile("Rectest-01.wav"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("keep me");
  existing.close();

  messages.answer(MsgAnswer::Cancel);
  w.btnrecClick();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(messages.texts(), QStringList{"Rectest-01.wav have existed. overwrite it?"});
  EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(w.FRecordCounter, 0);

  messages.answer(MsgAnswer::No);
  w.btnrecClick();
  EXPECT_EQ(w.lrname->text(), "Rectest-02.wav");
  w.btnstopClick();
  EXPECT_EQ(zovedu_test::ReadFile(OutFile("Rectest-01.wav").toStdString()).size(), 7u);
}

// A link at the next name counts as an existing file: the question is
// asked, and overwriting replaces the link, never what it points to, even a
// link to nothing.
TEST_F(RecordingWindowTest, ALinkAtTheNextNameIsReplacedNeverWrittenThrough) {
  Tfrmmain& w = Open();
  const QString victim = out.filePath("victim.wav"), nowhere = out.filePath("gone/nothing.wav");
  for (const QString& target : {victim, nowhere}) {
    SCOPED_TRACE(target.toStdString());
    messages.shown.clear();
    QFile::remove(OutFile("Rectest-01.wav"));
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly | QIODevice::Truncate));
    v.write("keep me");
    v.close();
    ASSERT_TRUE(QFile::link(target, OutFile("Rectest-01.wav")));
    w.FRecordCounter = 0;
    messages.answer(MsgAnswer::Yes);
    w.btnrecClick();
    ASSERT_EQ(messages.texts(), QStringList{"Rectest-01.wav have existed. overwrite it?"});
    Second();
    w.btnstopClick();
    EXPECT_FALSE(QFileInfo(OutFile("Rectest-01.wav")).isSymLink());
    EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 44100u * 4);
    QFile back(victim);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), "keep me");
    EXPECT_FALSE(QFile::exists(nowhere));
  }
}

TEST_F(RecordingWindowTest, NamesThatWouldEscapeOrBreakTheCommandLineAreRefused) {
  Tfrmmain& w = Open("[OutPut]\nPrefix=../../x\n");
  options->eprefix->setText("../../x");
  EXPECT_THROW(w.btnrecClick(), EAppError);
  EXPECT_EQ(w.FRecordChannel, 0u);

  options->eprefix->setText("say \"hi\"");
  w.cformat->setCurrentIndex(1);  // MP3: its encoder gets the name on a command line
  w.btnrecClick();
  EXPECT_EQ(w.FRecordChannel, 0u);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.texts()[0].contains("double quote")) << messages.texts()[0].toStdString();
}

TEST_F(RecordingWindowTest, SplitByLengthStartsTheNextFileWithoutStoppingTheCapture) {
  Tfrmmain& w = Open();
  options->csplitnew->setChecked(true);
  options->csplit74->setChecked(true);
  w.btnrecClick();
  const zaudio::DWORD capture = w.FRecordChannel;
  for (int s = 1; s < 4440; ++s) w.RectimerTimer();
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wav");
  EXPECT_EQ(w.lrstatus->text(), "Recording...(Split Length Mode)");
  w.RectimerTimer();
  EXPECT_EQ(w.lrlength->text(), "01:14:00");
  EXPECT_EQ(w.lrname->text(), "Rectest-02.wav");
  EXPECT_EQ(w.FRecordChannel, capture);
  EXPECT_EQ(w.FElapsedSeconds, 0);
  EXPECT_TRUE(Wav("Rectest-01.wav"));  // complete
  w.btnstopClick();
}

TEST_F(RecordingWindowTest, SplitsByCustomLengthAndSize) {
  Tfrmmain& w = Open();
  // A custom length with "just stop".
  options->csplitstop->setChecked(true);
  options->csplitcl->setChecked(true);
  options->esplitcl->setText("3");
  w.btnrecClick();
  Second();
  Second();
  EXPECT_NE(w.FRecordChannel, 0u);
  Second();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_TRUE(Enabled("btnrec"));
  EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 3u * 44100 * 4);

  // A custom size of 1 MB with a new file: the size counts the bytes written.
  options->csplitnew->setChecked(true);
  options->csplitcs->setChecked(true);
  options->esplitcs->setText("1");
  w.btnrecClick();
  for (int s = 0; s < 5; ++s) Second();
  EXPECT_EQ(w.lrname->text(), "Rectest-02.wav");  // 5 × 176400 bytes: not yet
  Second();
  EXPECT_EQ(w.lrname->text(), "Rectest-03.wav");
  w.btnstopClick();
  EXPECT_EQ(Wav("Rectest-02.wav")->data.size(), 6u * 44100 * 4);
}

// A custom limit of 0, or none typed, never splits, whether the recording
// is to stop or to go on in a new file.
TEST_F(RecordingWindowTest, ZeroOrEmptyCustomLimitsNeverSplit) {
  Tfrmmain& w = Open();
  const struct {
    const char* box;
    const char* radio;
    const char* edit;
    const char* text;
  } cases[] = {{"csplitstop", "csplitcl", "esplitcl", "0"}, {"csplitnew", "csplitcl", "esplitcl", ""},
               {"csplitstop", "csplitcs", "esplitcs", ""}, {"csplitnew", "csplitcs", "esplitcs", "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " " + c.radio + " '" + c.text + "'");
    options->findChild<QCheckBox*>(c.box)->setChecked(true);
    options->findChild<QRadioButton*>(c.radio)->setChecked(true);
    options->findChild<QLineEdit*>(c.edit)->setText(c.text);
    options->btnok->click();
    w.btnrecClick();
    const QString name = w.lrname->text();
    for (int s = 0; s < 3; ++s) Second();
    EXPECT_NE(w.FRecordChannel, 0u);
    EXPECT_EQ(w.lrname->text(), name);
    EXPECT_EQ(w.lrlength->text(), "00:00:03");
    w.btnstopClick();
  }
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(RecordingWindowTest, LevelDisplayFillsTheBarThenStartsAgain) {
  Tfrmmain& w = Open();
  w.btnrecClick();
  for (int s = 0; s < 318; ++s) Second(441);
  EXPECT_EQ(w.FMeterColumn, 318);
  EXPECT_NE(w.FLeftLevels[0], 0);
  // A half-scale tone draws green above the middle line.
  EXPECT_EQ(w.FWaveBitmap.pixelColor(10, 12 - 3), QColor(Qt::green));
  Second(441);
  EXPECT_EQ(w.FMeterColumn, 0);
  EXPECT_EQ(w.FLeftLevels[0], 0);
  Second(441);
  EXPECT_EQ(w.FMeterColumn, 1);
  w.btnstopClick();
  EXPECT_EQ(w.FWaveBitmap.pixelColor(10, 9), QColor(Qt::black));
}

namespace {
// A device that turns silent after `loud` frames of a half-scale tone.
zaudio::VirtualSignal ToneThenSilence(size_t loud) {
  zaudio::VirtualSignal s;
  for (size_t i = 0; i < loud; ++i) {
    const float v = static_cast<float>(0.5 * std::sin(2 * 3.141592653589793 * 1000 * i / 44100.0));
    s.samples.push_back(v);
    s.samples.push_back(v);
  }
  if (s.samples.empty()) s.samples = {0.0f, 0.0f};
  return s;
}
}  // namespace

TEST_F(RecordingWindowTest, SilenceStopsAtTheNextTickOrStartsANewFile) {
  backend->setSignal(0, ToneThenSilence(44100));
  Tfrmmain& w = Open();
  options->cslientpause->setChecked(false);
  options->cslientstop->setChecked(true);
  options->barslient->setValue(0);
  w.cdar->setChecked(true);
  w.btnrecClick();
  EXPECT_EQ(w.lrstatus->text(), "Idle...");  // the status line shows from the first tick
  Second();
  EXPECT_EQ(w.lrstatus->text(), "Recording...(DAR Mode Stop Action)");
  backend->pump(4410, 441);  // silent: writing pauses at once
  EXPECT_TRUE(w.FEngine->FInSilence);
  w.RectimerTimer();
  EXPECT_EQ(w.FRecordChannel, 0u);
  auto first = Wav("Rectest-01.wav");
  ASSERT_TRUE(first);
  EXPECT_NEAR(first->data.size() / 4.0 / 44100, 1.0, 0.03);

  // New file after five silent seconds.
  backend->setSignal(0, ToneThenSilence(44100));
  options->barslient->setValue(5);
  options->cslientnew->setChecked(true);
  w.btnrecClick();
  Second();
  for (int s = 1; s < 5; ++s) Second();
  EXPECT_EQ(w.lrname->text(), "Rectest-02.wav");
  EXPECT_EQ(w.FEngine->FSilentSeconds, 4);
  Second();
  EXPECT_EQ(w.lrname->text(), "Rectest-03.wav");
  EXPECT_NE(w.FRecordChannel, 0u);
  w.btnstopClick();
}

TEST_F(RecordingWindowTest, UncheckingSilenceModeResumesASuspendedFile) {
  backend->setSignal(0, ToneThenSilence(0));
  Tfrmmain& w = Open();
  options->barslient->setValue(0);
  w.cdar->setChecked(true);
  w.btnrecClick();
  Second();
  Second();
  EXPECT_EQ(w.lrlength->text(), "00:00:00");  // the suspended file stands still
  // The block in which the silence was measured is written, nothing after it.
  const std::uint64_t suspended = w.FEngine->receivedBytes();
  EXPECT_LE(suspended, 441u * 4);
  w.cdar->click();  // off
  EXPECT_FALSE(w.FEngine->FInSilence);
  backend->pump(44100, 441);
  EXPECT_EQ(w.FEngine->receivedBytes() - suspended, 44100u * 4);
  w.btnstopClick();
}

TEST_F(RecordingWindowTest, VanishedDeviceStopsTheRecordingAndSaysSo) {
  Tfrmmain& w = Open();
  w.btnrecClick();
  Second();
  backend->failCaptures();
  Deliver();
  EXPECT_EQ(w.FRecordChannel, 0u);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.texts()[0].contains("no longer available")) << messages.texts()[0].toStdString();
  EXPECT_TRUE(messages.texts()[0].contains(OutFile("Rectest-01.wav")));
  EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 44100u * 4);
  EXPECT_TRUE(Enabled("btnrec"));
}

TEST_F(RecordingWindowTest, DeviceChoiceIsFrozenWhileRecordingAndAFailedOpenLaterIsNotFatal) {
  zaudio::VirtualDevice broken = Device("Broken", 0);
  broken.failOpen = true;
  backend->addCaptureDevice(broken);
  Tfrmmain& w = Open();
  w.btnrecClick();
  const int open = backend->openDevice();
  w.btnsourcerefreshClick();
  w.Rslist->setCurrentIndex(1);
  w.RslistChange();
  EXPECT_EQ(backend->openDevice(), open);
  EXPECT_NE(w.FRecordChannel, 0u);
  w.btnstopClick();

  w.Rslist->setCurrentIndex(1);  // the broken one
  EXPECT_NO_THROW(w.RslistChange());
  EXPECT_EQ(messages.texts(), QStringList{"Can not start recording device!"});
  EXPECT_EQ(backend->openDevice(), -1);
}

TEST_F(RecordingWindowTest, ClosingWhileRecordingAsksThenCompletesTheFile) {
  Tfrmmain& w = Open();
  w.btnrecClick();
  Second();
  messages.answer(MsgAnswer::No);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(messages.texts(), QStringList{"Now Recording,be sure Close Program?"});
  EXPECT_NE(w.FRecordChannel, 0u);

  EXPECT_TRUE(w.close());
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 44100u * 4);
  EXPECT_TRUE(IniFile(SettingsFilePath(w.FWorkFolder)).HasKey("Main", "Format"));
}

TEST_F(RecordingWindowTest, TerminationClosesWithoutAsking) {
  Tfrmmain& w = Open();
  w.btnrecClick();
  Second();
  w.EndForTermination();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 44100u * 4);
  EXPECT_TRUE(IniFile(SettingsFilePath(w.FWorkFolder)).HasKey("Main", "Format"));
  // Nobody may be there: what is left to say goes to standard error.
  EXPECT_TRUE(Unattended());
  SetUnattended(false);
}

// A close the program decides on itself (a failed filter chain, a task's run
// taking over) happens with the user there: its messages are still shown.
TEST_F(RecordingWindowTest, ACloseTheProgramDecidesOnStillShowsItsMessages) {
  Tfrmmain& w = Open();
  w.CloseWithoutAsking();
  EXPECT_FALSE(Unattended());
}

// A termination while a dialog is open closes the dialog as Cancel would,
// then the window, once the dialog's event loop has returned.
TEST_F(RecordingWindowTest, TerminationClosesAnOpenDialogFirst) {
  Tfrmmain& w = Open();
  bool ended = false;
  QObject::connect(&w, &Tfrmmain::Closed, [&] { ended = true; });
  w.btnrecClick();
  Second();
  QDialog question(&w);
  question.setModal(true);
  QTimer::singleShot(0, &w, [&] { w.EndForTermination(); });
  EXPECT_EQ(question.exec(), QDialog::Rejected);
  EXPECT_NE(w.FRecordChannel, 0u) << "not closed from inside the dialog's loop";
  EXPECT_TRUE(zovedu_test::WaitUntil([&] {
    Deliver();
    return ended;
  }));
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 44100u * 4);
}

TEST_F(RecordingWindowTest, StartsAtOnceWhenAskedTo) {
  Tfrmmain& w = Open("[Misc]\nRun=1\n");
  EXPECT_NE(w.FRecordChannel, 0u);
  w.btnstopClick();
}

TEST_F(RecordingWindowTest, FullDiskStopsTheRecordingAndKeepsWhatWasWritten) {
  zaudio::EncoderTestOverrides full;
  full.failWriteAfter = 44100u * 4;  // one second fits on the disk
  zaudio::OverrideEncodersForTesting(full);
  Tfrmmain& w = Open();
  w.btnrecClick();
  zaudio::OverrideEncodersForTesting({});
  Second();
  Second();
  ASSERT_TRUE(zovedu_test::WaitUntil([&] {
    Deliver();
    return w.FRecordChannel == 0;
  }));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.texts()[0].contains("could not be written")) << messages.texts()[0].toStdString();
  EXPECT_EQ(Wav("Rectest-01.wav")->data.size(), 44100u * 4);
  EXPECT_TRUE(Enabled("btnrec"));
}

TEST_F(RecordingWindowTest, PauseActionKeepsTheFirstSecondsOfALongSilence) {
  backend->setSignal(0, ToneThenSilence(44100));
  Tfrmmain& w = Open();
  options->barslient->setValue(5);  // pause after five silent seconds
  w.cdar->setChecked(true);
  w.btnrecClick();
  for (int s = 0; s < 11; ++s) Second();  // one second of tone, then ten of silence
  EXPECT_EQ(w.lrlength->text(), "00:00:05");  // the file stands still once suspended
  w.btnstopClick();
  auto wav = Wav("Rectest-01.wav");
  ASSERT_TRUE(wav);
  // The tone and about the first five seconds of the silence, to the
  // monitor's one-second step.
  EXPECT_NEAR(wav->data.size() / 4.0 / 44100, 6.0, 1.05);
}

TEST_F(RecordingWindowTest, WmaTakesItsChannelsFromItsPageAndCannotRecord192000Hz) {
  Tfrmmain& w = Open();
  w.cformat->setCurrentIndex(2);  // WMA
  options->wmachannelcom->setCurrentIndex(0);  // mono, while the window says stereo
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wma");
  Second();
  EXPECT_EQ(w.lrsize->text().section('/', 0, 0), RecordingSizeText(qint64(w.FWmaBitrate) * 125));
  w.btnstopClick();
  QProcess probe;
  probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,channels", "-of", "csv=p=0",
                          OutFile("Rectest-01.wma")});
  ASSERT_TRUE(probe.waitForFinished(30000));
  EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "wmav2,1");
  EXPECT_EQ(w.FChannels, 2);  // the window's own choice is kept for other formats

  w.csample->setCurrentIndex(8);  // 192000 Hz: the writer would need 88200 Hz
  w.btnrecClick();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(messages.texts(), QStringList{"Couldn't use WMA Encoder"});
  EXPECT_FALSE(QFile::exists(OutFile("Rectest-02.wma")));
  EXPECT_EQ(backend->runningCaptures(), 0);
}

TEST_F(RecordingWindowTest, ApeWithoutItsEncoderFailsToStart) {
  Tfrmmain& w = Open();
  w.cformat->setCurrentIndex(4);  // APE
  w.btnrecClick();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(messages.texts(), QStringList{"Couldn't start APE Encorder!"});
  EXPECT_EQ(backend->runningCaptures(), 0);
}
