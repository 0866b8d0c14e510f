// Section "Main": the recording controls restored at start and saved at close.
#include <QFile>
#include <QTextStream>

#include "main_window_fixture.h"
#include "settings/ini_file.h"

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
  EXPECT_EQ(w.cchannel->currentIndex(), -1);  // out of the list: no selection
  EXPECT_EQ(w.cbit->currentText(), "32 bit");
  EXPECT_EQ(w.cformat->currentText(), "WAV");
}
