// The main window on the portal route: the desktop's key starts and stops a
// recording as the buttons do.
#include "app/hotkeys/hotkey_route.h"
#include "app/hotkeys/portal/portal_global_shortcuts.h"
#include "app/recording_window_fixture.h"
#include "fake_portal.h"
#include "private_bus.h"
#include "pump_until.h"

namespace portal_test {
namespace {

class PortalHotkeyWindowTest : public RecordingWindowTest {
 protected:
  void SetUp() override {
    RecordingWindowTest::SetUp();
    ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
    portal = std::make_unique<FakePortal>(bus.Address());
    ASSERT_TRUE(portal->Registered());
    hotkeys::SetHotkeyBackendFactory(
        [this] { return std::make_unique<hotkeys::PortalGlobalShortcuts>(bus.Connect()); });
  }
  void TearDown() override {
    RecordingWindowTest::TearDown();  // the window and its hotkeys go first
    hotkeys::SetHotkeyBackendFactory({});
    portal.reset();
  }

  PrivateBus bus;
  std::unique_ptr<FakePortal> portal;
};

TEST_F(PortalHotkeyWindowTest, TheDesktopsRecordAndStopKeysDriveTheWindow) {
  Tfrmmain& w = Open();
  ASSERT_TRUE(PumpUntil([&] { return !portal->BoundSession().isEmpty(); })) << "no shortcuts were bound";
  EXPECT_EQ(portal->Binds().at(0).Triggers(), QStringList({"ALT+F1", "ALT+F2", "ALT+F3"}));
  const QString session = portal->BoundSession();

  portal->Activate(session, "record");
  ASSERT_TRUE(PumpUntil([&] { return w.FRecordChannel != 0; })) << "the record key started nothing";
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wav");
  Second();

  portal->Activate(session, "stop");
  ASSERT_TRUE(PumpUntil([&] { return w.FRecordChannel == 0; })) << "the stop key stopped nothing";
  EXPECT_TRUE(Wav("Rectest-01.wav").has_value());
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();

  // Closing the window gives the hotkeys back.
  options.release();  // a child of the window
  window.reset();
  EXPECT_TRUE(PumpUntil([&] { return portal->Closed().contains(session); }));
}

}  // namespace
}  // namespace portal_test
