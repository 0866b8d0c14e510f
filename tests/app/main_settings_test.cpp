// Section "Main": the recording controls restored at start and saved at close.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include "main_window_fixture.h"
#include "dialogs/tfrmoption.h"
#include "library/recording_list.h"
#include "settings/ini_file.h"
#include "support/file_replacements.h"

namespace {
void WriteText(const QString& path, const QString& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text.toUtf8());
}
}  // namespace

class MainSettingsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT, 22050));
  }
  // Creates the window, puts a settings file in its work folder and shows it.
  Tfrmmain& OpenWith(const QString& ini) {
    window.reset();
    window = std::make_unique<Tfrmmain>();
    if (!ini.isEmpty()) WriteText(SettingsFilePath(window->FWorkFolder), ini);
    window->FormShow();
    window->show();
    return *window;
  }
  IniFile Saved() { return IniFile(SettingsFilePath(window->FWorkFolder)); }
};

TEST_F(MainSettingsTest, WithoutAFileTheControlsShowTheirDefaults) {
  Tfrmmain& w = OpenWith(QString());
  EXPECT_EQ(w.Cvolume->value(), 20);
  EXPECT_EQ(w.lvol->text(), "Vol:20");
  EXPECT_EQ(w.cchannel->currentText(), "Stereo");
  EXPECT_EQ(w.cbit->currentText(), "16 bit");
  EXPECT_EQ(w.cformat->currentText(), "WAV");
  EXPECT_EQ(w.FVisMode, 1);
  EXPECT_EQ(w.OpenListPanel(), 0);
  EXPECT_EQ(w.height(), 306);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[0].inputs[0].volume, 0.2f);
}

TEST_F(MainSettingsTest, StoredValuesLoadRunTheirHandlersAndSaveBackUnchanged) {
  PlatformInfo::setVersionForTesting({5, 1});  // the older model also restores the rate
  Tfrmmain& w = OpenWith(
      "[Main]\nVolume=65\nChannel=0\nSample=2\nBits=3\nFormat=7\nVis=0\nList=1\n");
  EXPECT_EQ(w.Cvolume->value(), 65);
  EXPECT_EQ(w.FChannels, 1);
  EXPECT_EQ(w.FSampleRate, 16000);
  EXPECT_EQ(w.FBitsPerSample, 32);
  EXPECT_EQ(w.lformatinfo->text(), "Hybrid Lossless WaveFile (WavPack)");
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wv");
  EXPECT_EQ(w.FVisMode, 0);
  EXPECT_TRUE(w.greclist->isVisibleTo(&w));
  EXPECT_EQ(w.height(), 472);

  ASSERT_TRUE(w.close());
  const IniFile ini = Saved();
  const std::pair<const char*, int> expected[] = {{"Volume", 65}, {"Channel", 0}, {"Sample", 2}, {"Bits", 3},
                                                  {"Format", 7},  {"Vis", 0},     {"List", 1}};
  for (const auto& [key, value] : expected) EXPECT_EQ(ini.ReadInteger("Main", key, -99), value) << key;
}

TEST_F(MainSettingsTest, NewerModelTakesTheRateFromTheDeviceNotTheFile) {
  Tfrmmain& w = OpenWith("[Main]\nSample=8\n");
  EXPECT_EQ(w.csample->currentText(), "22050Hz");
  EXPECT_EQ(w.FSampleRate, 22050);
}

TEST_F(MainSettingsTest, ListPanelIsReopenedAndItsChoiceSaved) {
  struct Case {
    int stored;
    bool recordings, tasks;
    int height;
  } cases[] = {{0, false, false, 306}, {1, true, false, 472}, {2, false, true, 472}, {7, false, false, 306}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    Tfrmmain& w = OpenWith(QString("[Main]\nList=%1\n").arg(c.stored));
    EXPECT_EQ(w.greclist->isVisibleTo(&w), c.recordings);
    EXPECT_EQ(w.grectask->isVisibleTo(&w), c.tasks);
    EXPECT_EQ(w.height(), c.height);
    ASSERT_TRUE(w.close());
    EXPECT_EQ(Saved().ReadInteger("Main", "List", -1), c.recordings ? 1 : c.tasks ? 2 : 0);
  }
}

TEST_F(MainSettingsTest, PanelButtonsSwitchAndCollapse) {
  Tfrmmain& w = OpenWith(QString());
  w.btnreclist->click();
  EXPECT_EQ(w.OpenListPanel(), 1);
  w.btnschedule->click();  // switches without changing the height
  EXPECT_EQ(w.OpenListPanel(), 2);
  EXPECT_EQ(w.height(), 472);
  w.btnschedule->click();
  EXPECT_EQ(w.OpenListPanel(), 0);
  EXPECT_EQ(w.height(), 306);
}

TEST_F(MainSettingsTest, DamagedValuesFallBackToDefaults) {
  Tfrmmain& w = OpenWith("[Main]\nVolume=loud\nChannel=9\nBits=0x3\nFormat=\x01\x02\n");
  EXPECT_EQ(w.Cvolume->value(), 20);
  EXPECT_EQ(w.cchannel->currentText(), "Stereo");  // no such item: the key's default
  EXPECT_EQ(w.cbit->currentText(), "32 bit");
  EXPECT_EQ(w.cformat->currentText(), "WAV");
}

TEST_F(MainSettingsTest, IndexesTheListsLackFallBackToTheKeysDefaults) {
  PlatformInfo::setVersionForTesting({5, 1});  // the older model also reads "Sample"
  const char* const stored[] = {
      "Channel=9",  "Channel=2",  "Channel=-1", "Sample=9", "Sample=-3",
      "Bits=4",     "Bits=-1",    "Format=42",  "Format=11", "Format=-1",
      "Channel=9\nSample=99\nBits=-1\nFormat=42",
  };
  for (const char* values : stored) {
    SCOPED_TRACE(values);
    Tfrmmain& w = OpenWith(QString("[Main]\n%1\n").arg(values));
    EXPECT_EQ(w.cchannel->currentText(), "Stereo");
    EXPECT_EQ(w.FChannels, 2);
    EXPECT_EQ(w.csample->currentText(), "44100Hz");
    EXPECT_EQ(w.FSampleRate, 44100);
    EXPECT_EQ(w.cbit->currentText(), "16 bit");
    EXPECT_EQ(w.FBitsPerSample, 16);
    EXPECT_EQ(w.cformat->currentText(), "WAV");
    EXPECT_EQ(w.lformatinfo->text(), "WAVE PCM");
    EXPECT_TRUE(w.lrname->text().endsWith(".wav")) << w.lrname->text().toStdString();

    ASSERT_TRUE(w.close());
    const IniFile ini = Saved();
    const std::pair<const char*, int> expected[] = {{"Channel", 1}, {"Sample", 5}, {"Bits", 1}, {"Format", 0}};
    for (const auto& [key, value] : expected) EXPECT_EQ(ini.ReadInteger("Main", key, -99), value) << key;
  }
}

TEST_F(MainSettingsTest, ClosingSavesTheSectionInOneReplacementKeepingOtherLines) {
  const QString others = "; mine\n[Other]\n  x = 1 \n\n";
  Tfrmmain& w = OpenWith(others + "[Main]\nVolume=65\nFormat=3\n");
  FileReplacements replacements(SettingsFilePath(w.FWorkFolder));
  ASSERT_TRUE(w.close());
  EXPECT_EQ(replacements.count(), 1);
  QFile f(SettingsFilePath(w.FWorkFolder));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  // The device's 22050 Hz is item 3 of the rate list.
  EXPECT_EQ(f.readAll().toStdString(),
            (others + "[Main]\nVolume=65\nFormat=3\nChannel=1\nSample=3\nBits=1\nVis=1\nList=0\n")
                .toStdString());
}

// A settings file that cannot be written is said at close, and the close
// still completes: the recording is complete, the list saved, the program
// told to end.
TEST_F(MainSettingsTest, ASettingsFileThatCannotBeWrittenIsSaidAndTheCloseStillEnds) {
  QTemporaryDir out;
  Tfrmmain& w = OpenWith(QString());
  Tfrmoption options(&w, &w);
  w.SetOptionsDialog(&options);
  options.LoadSettings();
  options.Efolder->setText(out.path() + "/");
  ASSERT_TRUE(QDir().mkpath(SettingsFilePath(w.FWorkFolder)));  // a folder where the file belongs
  bool ended = false;
  QObject::connect(&w, &Tfrmmain::Closed, [&] { ended = true; });
  messages.answer(MsgAnswer::Yes);  // "Now Recording,be sure Close Program?"
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);
  backend->pump(44100, 441);
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(ended);
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(messages.texts().last(), "Unable to write to " + SettingsFilePath(w.FWorkFolder));
  QFile list(RecordingListPath(w.FWorkFolder));
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  EXPECT_TRUE(list.readAll().startsWith("Rectest-01.wav|00:00:00|"));
  w.SetOptionsDialog(nullptr);
}
