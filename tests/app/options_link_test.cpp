// The main window with its options dialog: settings at the first showing, the
// output folder link, and the stay-on-top style around the dialog.
#include <QFile>
#include <QLineEdit>
#include <QCheckBox>
#include <QMouseEvent>

#include "dialogs/tfrmoption.h"
#include "main_window_fixture.h"
#include "settings/ini_file.h"

class OptionsLinkTest : public MainWindowTest {
 protected:
  Tfrmmain& OpenWithOptions(const QString& ini = QString()) {
    options.release();  // a child of the window: freed with it
    window.reset();
    window = std::make_unique<Tfrmmain>();
    options = std::make_unique<Tfrmoption>(window.get(), window.get());
    window->SetOptionsDialog(options.get());
    if (!ini.isEmpty()) {
      QFile f(SettingsFilePath(window->FWorkFolder));
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(ini.toUtf8());
    }
    window->FormShow();
    return *window;
  }
  void TearDown() override {
    options.release();  // owned by the window, freed with it
    MainWindowTest::TearDown();
  }
  std::unique_ptr<Tfrmoption> options;
};

TEST_F(OptionsLinkTest, FirstShowingLoadsTheOptionsAndShowsTheOutputPath) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = OpenWithOptions("[OutPut]\nFolder=/srv/takes/\n[Misc]\nStayonTop=1\n");
  EXPECT_EQ(options->Efolder->text(), "/srv/takes/");
  EXPECT_EQ(w.outlabel->toolTip(), "output path:/srv/takes/");
  EXPECT_TRUE(w.IsStayOnTop());
}

TEST_F(OptionsLinkTest, DefaultOutputFolderIsMyRecordingsInTheMusicFolder) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = OpenWithOptions();
  EXPECT_EQ(options->Efolder->text(), w.FMusicFolder + "My Recordings/");
  EXPECT_FALSE(w.IsStayOnTop());
}

TEST_F(OptionsLinkTest, OutputFolderLinkChoosesTheFolder) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = OpenWithOptions("[OutPut]\nFolder=/srv/takes/\n");

  w.outlabelClick();  // cancelled: nothing changes
  EXPECT_EQ(options->Efolder->text(), "/srv/takes/");
  ASSERT_EQ(desktop.browseTitles.size(), 1);
  EXPECT_EQ(desktop.browseTitles[0], "Please select folder which your recording file output");
  EXPECT_EQ(desktop.browseStarts[0], "/srv/takes/");

  desktop.folders = {"/home/me/radio"};
  w.outlabelClick();
  EXPECT_EQ(options->Efolder->text(), "/home/me/radio/");
  EXPECT_EQ(w.FOutputFolder, "/home/me/radio/");
  EXPECT_EQ(w.outlabel->toolTip(), "output path:/home/me/radio/");

  desktop.folders = {"/already/"};
  w.outlabelClick();
  EXPECT_EQ(options->Efolder->text(), "/already/");
}

TEST_F(OptionsLinkTest, OutputLabelColoursAndMiddleButtonOpensTheFolder) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = OpenWithOptions("[OutPut]\nFolder=/srv/takes/\n");
  auto colour = [&] { return w.outlabel->styleSheet().section(';', 0, 0); };
  EXPECT_EQ(colour(), "color: maroon");
  w.outlabelMouseEnter();
  EXPECT_EQ(colour(), "color: blue");
  w.outlabelMouseDown(Qt::LeftButton);
  EXPECT_EQ(colour(), "color: navy");
  EXPECT_TRUE(desktop.opened.isEmpty());
  w.outlabelMouseUp();
  EXPECT_EQ(colour(), "color: blue");
  w.outlabelMouseLeave();
  EXPECT_EQ(colour(), "color: maroon");
  w.outlabelMouseDown(Qt::MiddleButton);
  ASSERT_EQ(desktop.opened.size(), 1);
  EXPECT_EQ(desktop.opened[0], "/srv/takes/");
}

TEST_F(OptionsLinkTest, DialogTurnsAStayOnTopWindowNormalWhileOpen) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = OpenWithOptions("[Misc]\nStayonTop=1\n");
  ASSERT_TRUE(w.IsStayOnTop());
  options->PrepareOpenFromMain();
  EXPECT_FALSE(w.IsStayOnTop());
  EXPECT_EQ(options->Tag, 1);
  options->ApplyTagOnClose();
  EXPECT_TRUE(w.IsStayOnTop());
  EXPECT_EQ(options->Tag, 0);
}

TEST_F(OptionsLinkTest, FormatChangeRestartsNumberingAndUpdatesTheInfo) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = OpenWithOptions();
  w.FRecordCounter = 7;
  const char* expected[11] = {"WAVE PCM", "MPEG Layer III (MP3)", "Windows Miedia Audio (WMA)", "OGG Vorbis (OGG)",
                              "Monkey's Audio Format (APE)", "Free Lossless Audio Codec (FLAC)",
                              "True Audio Codec (TTA)", "Hybrid Lossless WaveFile (WavPack)",
                              "Advanced Audio Coding (AAC/MP4)", "Musepack living Audio Compressor (MPC)",
                              "Speex for Voice (SPX)"};
  const char* ext[11] = {".wav", ".mp3", ".wma", ".ogg", ".ape", ".flac", ".tta", ".wv", ".aac", ".mpc", ".spx"};
  for (int i = 10; i >= 0; --i) {
    w.cformat->setCurrentIndex(i);
    EXPECT_EQ(w.lformatinfo->text(), expected[i]);
    EXPECT_EQ(w.lrname->text(), QString("Rectest-01") + ext[i]);
    EXPECT_EQ(w.FRecordCounter, 0);
    EXPECT_EQ(w.CurrentFormatIndex(), i);
  }
}
