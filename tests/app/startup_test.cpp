// Creation, first showing, closing and the failures that end the program.
#include <QDir>
#include <QFile>

#include "app/window_geometry.h"
#include "main_window_fixture.h"

TEST_F(MainWindowTest, CreationSetsFieldsAndMakesTheWorkFolder) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  EXPECT_TRUE(w.FVistaOrLater);
  EXPECT_EQ(w.FSampleRate, 44100);
  EXPECT_EQ(w.FBitsPerSample, 16);
  EXPECT_EQ(w.FChannels, 2);
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_TRUE(w.FWorkFolder.endsWith("/ridi/"));
  EXPECT_TRUE(QDir(w.FWorkFolder).exists());
  EXPECT_TRUE(w.FWorkFolder.startsWith(home.path()));
  EXPECT_TRUE(w.FMusicFolder.endsWith('/'));
  EXPECT_TRUE(w.FExeFolder.endsWith('/'));
  EXPECT_FALSE(w.FFirstShow);
  EXPECT_EQ(zaudio::GetConfig(zaudio::CONFIG_REC_LOOPBACK), 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, SecondShowingChangesNothing) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  backend->addCaptureDevice(Device("Later", 0));
  w.hide();
  w.show();
  EXPECT_EQ(w.Rslist->count(), 1);
}

TEST_F(MainWindowTest, CaptionAndSourceControlsFollowTheSystemVersion) {
  struct Case {
    int major, minor;
    const char* caption;
    bool newerModel;
  } cases[] = {{5, 1, "Zovedu", false},
               {6, 0, "Zovedu", true},
               {6, 1, "Zovedu [Windows 7 Run Mode]", true},
               {6, 2, "Zovedu", true},
               {10, 0, "Zovedu", true}};
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.major * 10 + c.minor);
    PlatformInfo::setVersionForTesting({c.major, c.minor});
    zaudio::SetConfig(zaudio::CONFIG_REC_LOOPBACK, 0);
    Tfrmmain& w = Open();
    EXPECT_EQ(w.windowTitle(), c.caption);
    EXPECT_EQ(w.FVistaOrLater, c.newerModel);
    EXPECT_EQ(w.vistalabel->isVisible(), c.newerModel);
    EXPECT_EQ(w.infodevice->isVisible(), c.newerModel);
    EXPECT_EQ(w.btnsourcerefresh->isVisible(), c.newerModel);
    EXPECT_EQ(zaudio::GetConfig(zaudio::CONFIG_REC_LOOPBACK), c.newerModel ? 1u : 0u);
    window.reset();
  }
}

TEST_F(MainWindowTest, FailuresThatEndTheProgram) {
  struct Case {
    const char* what;
    std::function<void(MainWindowTest&)> arrange;
    const char* text;
    MsgKind kind;
  } cases[] = {
      {"library version", [](MainWindowTest&) { zaudio::OverrideVersionsForTesting(0x02030000, 0); },
       "An incorrect version of BASS.DLL was loaded", MsgKind::System},
      {"effects version", [](MainWindowTest&) { zaudio::OverrideVersionsForTesting(0, 0x02050000); },
       "An incorrect version of BASS_FX.DLL was loaded ", MsgKind::System},
      {"no output", [](MainWindowTest& t) { t.backend->setFailOutputInit(true); },
       "Cannot start default recording device!", MsgKind::Error},
      {"device fails", [](MainWindowTest& t) {
         auto d = Device("Broken", zaudio::DEVICE_DEFAULT);
         d.failOpen = true;
         t.backend->addCaptureDevice(d);
       }, "Can not start recording device!", MsgKind::Error},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    messages.shown.clear();
    c.arrange(*this);
    EXPECT_THROW(Open(), ProgramEnded);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, c.text);
    EXPECT_EQ(messages.shown[0].kind, c.kind);
    TearDown();
  }
}

TEST_F(MainWindowTest, WorkFolderThatCannotBeCreatedEndsTheProgram) {
  QFile blocker(home.path() + "/Documents");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
  blocker.close();
  EXPECT_THROW(Open(), ProgramEnded);
  ASSERT_EQ(messages.texts().size(), 1);
  EXPECT_EQ(messages.texts()[0], "Cannot create " + home.path() + "/Documents/ridi/");
}

TEST_F(MainWindowTest, CloseQueryAsksOnlyWhileRecording) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(messages.shown.empty());

  w.show();
  w.FRecordChannel = 42;  // a recording runs
  messages.answer(MsgAnswer::No);
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Now Recording,be sure Close Program?");
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Warning);
  EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNo);
  messages.answer(MsgAnswer::Yes);
  EXPECT_TRUE(w.close());
  w.FRecordChannel = 0;
}

TEST_F(MainWindowTest, DestructionFreesTheAudioLibrary) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Open();
  window.reset();
  zaudio::Info info;
  EXPECT_FALSE(zaudio::GetInfo(&info));
  EXPECT_EQ(zaudio::ErrorGetCode(), zaudio::ERROR_INIT);
  EXPECT_EQ(backend->openDevice(), -1);
}

TEST(WindowGeometry, CentresWithHalvesTruncatedTowardZero) {
  struct Case {
    QRect monitor;
    QSize window;
    QPoint expected;
  } cases[] = {{QRect(0, 0, 1920, 1080), QSize(536, 335), QPoint(692, 372)},
               {QRect(1920, 0, 1280, 1024), QSize(531, 307), QPoint(2294, 358)},
               {QRect(-1280, 0, 1280, 1024), QSize(530, 306), QPoint(-905, 359)},
               {QRect(0, 0, 400, 300), QSize(531, 307), QPoint(-65, -3)}};
  for (const auto& c : cases) EXPECT_EQ(CentredOnMonitor(c.monitor, c.window), c.expected);
}

TEST_F(MainWindowTest, HelpAndStereoMixLinksOpenPagesAndSoundSettings) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  w.Help1->trigger();
  w.btnhelp->click();
  ASSERT_EQ(desktop.opened.size(), 2);
  EXPECT_EQ(desktop.opened[0], kHelpPage);
  w.vistalabelClick();
  EXPECT_EQ(desktop.opened.last(), kStereoMixPage);
  ASSERT_EQ(desktop.started.size(), 1);
  EXPECT_EQ(desktop.started[0], "pavucontrol --tab=2");
  desktop.startResult = false;
  w.vistalabelClick();
  EXPECT_EQ(desktop.started.last(), "gnome-control-center sound");
}
