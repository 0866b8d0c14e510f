// The commands the main window offers in each state.
#include <QAction>

#include "main_window_fixture.h"

namespace {
bool EnabledByName(Tfrmmain& w, const QString& name) {
  if (auto* widget = w.findChild<QWidget*>(name)) return widget->isEnabled();
  if (auto* action = w.findChild<QAction*>(name)) return action->isEnabled();
  ADD_FAILURE() << "no control " << name.toStdString();
  return false;
}

struct StateCase {
  ControlState state;
  bool rec, pauseStop, settings, lists, source;
  const char *pauseHint, *stopHint;  // nullptr: left as it was
};
}  // namespace

TEST_F(MainWindowTest, ControlStatesEnableTheirCommands) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  const StateCase cases[] = {
      {ControlState::Recording, false, true, false, true, false, "Pause Recording", "Stop Recording"},
      {ControlState::Paused, false, true, false, true, false, nullptr, nullptr},
      {ControlState::IdleAfterStop, true, false, true, true, true, nullptr, nullptr},
      {ControlState::Playing, true, true, true, true, true, "Pause Playing", "Stop Playing"},
      {ControlState::Start, true, false, true, true, true, "Pause Recording", "Stop Recording"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.state));
    w.btnpause->setToolTip("before");
    w.btnstop->setToolTip("before");
    w.SetControlState(c.state);
    for (const char* n : {"Record1", "btnrec"}) EXPECT_EQ(EnabledByName(w, n), c.rec) << n;
    for (const char* n : {"Pause1", "btnpause", "Stop1", "btnstop"}) EXPECT_EQ(EnabledByName(w, n), c.pauseStop) << n;
    for (const char* n : {"Settings1", "btnoption", "Wizard1", "btnwiz"}) EXPECT_EQ(EnabledByName(w, n), c.settings) << n;
    for (const char* n : {"Scheduler1", "RecordsList1", "btnreclist", "btnschedule"}) EXPECT_EQ(EnabledByName(w, n), c.lists) << n;
    for (const char* n : {"Rslist", "cchannel", "csample", "cbit", "cformat", "outlabel"})
      EXPECT_EQ(EnabledByName(w, n), c.source) << n;
    EXPECT_EQ(w.btnpause->toolTip(), c.pauseHint ? c.pauseHint : "before");
    EXPECT_EQ(w.btnstop->toolTip(), c.stopHint ? c.stopHint : "before");
  }
}

TEST_F(MainWindowTest, VolumeSliderStaysAsItWasWhileRecordingOrPaused) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  for (auto state : {ControlState::Recording, ControlState::Paused}) {
    w.Cvolume->setEnabled(false);
    w.SetControlState(state);
    EXPECT_FALSE(w.Cvolume->isEnabled());
    w.Cvolume->setEnabled(true);
    w.SetControlState(state);
    EXPECT_TRUE(w.Cvolume->isEnabled());
  }
  w.Cvolume->setEnabled(false);
  w.SetControlState(ControlState::IdleAfterStop);
  EXPECT_TRUE(w.Cvolume->isEnabled());
}

TEST_F(MainWindowTest, EveryNamedControlExists) {
  backend->addCaptureDevice(Device("Mic", zaudio::DEVICE_DEFAULT));
  Tfrmmain& w = Open();
  for (const char* name :
       {"btnrec", "btnpause", "btnstop", "btnoption", "btnwiz", "btnreclist", "btnschedule", "btnhelp", "BtnAbout",
        "Rslist", "Cvolume", "lvol", "vistalabel", "infodevice", "btnsourcerefresh", "cchannel", "csample", "cbit",
        "cformat", "cdar", "lrname", "outlabel", "lrlength", "lrsize", "lrstatus", "lformatinfo", "Image1",
        "PaintFrame", "PB", "greclist", "Reclist", "grectask", "tasklist", "Rectimer", "FFTTimer", "TrayIcon1",
        "ImageList5", "ImageList1", "PopupMenu3", "PopupMenu4", "ShowMainFrom1", "Help2", "Exit1", "Record1",
        "Pause1", "Stop1", "Wizard1", "Scheduler1", "RecordsList1", "SoundEditor1", "Settings1", "Help1", "About1",
        "Exit2"})
    EXPECT_NE(w.findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(w.size(), QSize(530, 306));
  EXPECT_EQ(w.windowTitle(), "Zovedu");
  EXPECT_EQ(w.btnrec->geometry().top(), 273);
  EXPECT_EQ(w.PaintFrame->size(), QSize(318, 120));
  EXPECT_EQ(w.PB->size(), QSize(318, 25));
  EXPECT_EQ(w.FLeftLevels.size(), 318u);
  EXPECT_FALSE(w.Rectimer->isActive());
  EXPECT_EQ(w.Rectimer->interval(), 1000);
  EXPECT_EQ(w.FFTTimer->interval(), 33);
  EXPECT_FALSE(w.SoundEditor1->isEnabled());
  EXPECT_FALSE(w.greclist->isVisible());
  EXPECT_EQ(w.cformat->count(), 11);
  EXPECT_EQ(w.csample->currentText(), "44100Hz");
}
