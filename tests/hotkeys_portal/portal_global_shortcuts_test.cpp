// The portal route: the session and shortcuts asked for, keys pressed on the
// desktop, refusals, and giving the hotkeys back.
#include "portal_fixture.h"

namespace portal_test {
namespace {

using hotkeys::PortalGlobalShortcuts;

TEST_F(PortalTest, FreshSettingsBindTheThreeCombinationsInOneSession) {
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  ASSERT_EQ(portal->Created().size(), 1);
  const BindCall bind = portal->Binds().at(0);
  EXPECT_EQ(bind.session, portal->Created().at(0));
  EXPECT_EQ(bind.Ids(), QStringList({"record", "pause", "stop"}));
  EXPECT_EQ(bind.Triggers(), QStringList({"ALT+F1", "ALT+F2", "ALT+F3"}));
  for (const auto& s : bind.shortcuts)
    EXPECT_FALSE(s.properties.value("description").toString().isEmpty()) << s.id.toStdString();
  EXPECT_TRUE(portal->Closed().isEmpty());
  EXPECT_TRUE(refused.isEmpty()) << refused.join('|').toStdString();
}

TEST_F(PortalTest, EachActivationOfOurSessionRunsItsActionOnce) {
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  const QString session = portal->BoundSession();
  portal->Activate(session, "pause");
  portal->Deactivate(session, "pause");                                       // letting go is no action
  portal->Activate("/org/freedesktop/portal/desktop/session/x/y", "record");  // not our session
  portal->Activate(session, "volume");                                        // not our shortcut
  portal->Activate(session, "record");
  portal->Activate(session, "stop");
  ASSERT_NO_FATAL_FAILURE(WaitForActions(3));
  EXPECT_EQ(activated, QList<int>({hotkeys::kPauseAction, hotkeys::kStartAction, hotkeys::kStopAction}));
}

TEST_F(PortalTest, AShortcutTheDesktopLeavesOutIsRefusedByItsCombination) {
  portal->Refuse("pause");
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  ASSERT_TRUE(PumpUntil([&] { return !refused.isEmpty(); }));
  EXPECT_EQ(refused, QStringList{"The desktop did not grant the hotkey Alt+F2 (pause)."});
  const QString session = portal->BoundSession();
  portal->Activate(session, "pause");
  portal->Activate(session, "stop");
  ASSERT_NO_FATAL_FAILURE(WaitForActions(1));
  EXPECT_EQ(activated, QList<int>{hotkeys::kStopAction});
}

TEST_F(PortalTest, ADesktopThatRefusesTheBindIsReported) {
  for (uint code : {1u, 2u}) {
    SCOPED_TRACE(code);
    refused.clear();
    portal->AnswerBindWith(code);
    ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
    ASSERT_TRUE(PumpUntil([&] { return !refused.isEmpty(); }));
    EXPECT_EQ(refused, QStringList{"The desktop refused the global hotkeys."});
  }
}

TEST_F(PortalTest, InactiveCombinationsAreNotAskedFor) {
  Combinations c = FreshCombinations();
  c[hotkeys::kStartAction] = {hotkeys::kModControl | hotkeys::kModShift, 10, true};  // Ctrl+Shift+A
  c[hotkeys::kPauseAction].active = false;
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind(c));
  const BindCall bind = portal->Binds().at(0);
  EXPECT_EQ(bind.Ids(), QStringList({"record", "stop"}));
  EXPECT_EQ(bind.Triggers(), QStringList({"CTRL+SHIFT+A", "ALT+F3"}));

  // With none active there is no session at all.
  for (auto& each : c) each.active = false;
  shortcuts->Install(c);
  ASSERT_TRUE(PumpUntil([&] { return portal->Closed().size() == 1; }));
  EXPECT_EQ(portal->Created().size(), 1);
}

TEST_F(PortalTest, ReleaseClosesTheSessionAndItsKeysDoNothingMore) {
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  const QString first = portal->BoundSession();
  shortcuts->Release();
  ASSERT_TRUE(PumpUntil([&] { return portal->Closed() == QStringList{first}; }));
  portal->Activate(first, "record");

  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  const QString second = portal->BoundSession();
  EXPECT_NE(second, first);
  portal->Activate(second, "stop");
  ASSERT_NO_FATAL_FAILURE(WaitForActions(1));
  EXPECT_EQ(activated, QList<int>{hotkeys::kStopAction});

  // Going away gives the hotkeys back too.
  shortcuts.reset();
  EXPECT_TRUE(PumpUntil([&] { return portal->Closed() == QStringList({first, second}); }));
}

TEST_F(PortalTest, ASecondInstallClosesTheFirstSessionFirst) {
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  const QString first = portal->BoundSession();
  Combinations c = FreshCombinations();
  c[hotkeys::kStopAction].key = 36 + 11;  // F12
  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind(c));
  const QString second = portal->BoundSession();
  EXPECT_EQ(portal->Events(),
            QStringList({"create " + first, "bind " + first, "close " + first, "create " + second, "bind " + second}));
  EXPECT_EQ(portal->Binds().at(1).Triggers(), QStringList({"ALT+F1", "ALT+F2", "ALT+F12"}));
  portal->Activate(first, "record");
  portal->Activate(second, "pause");
  ASSERT_NO_FATAL_FAILURE(WaitForActions(1));
  EXPECT_EQ(activated, QList<int>{hotkeys::kPauseAction});
}

TEST_F(PortalTest, ASessionAnsweredAfterItsInstallWasReplacedIsClosed) {
  // The second Install comes before the desktop's answer to the first.
  shortcuts->Install(FreshCombinations());
  shortcuts->Install(FreshCombinations());
  ASSERT_TRUE(PumpUntil([&] { return portal->Created().size() == 2 && portal->Closed().size() == 1; }));
  ASSERT_TRUE(PumpUntil([&] { return portal->Binds().size() == 1; }));
  EXPECT_EQ(portal->Closed(), QStringList{portal->Created().at(0)});
  EXPECT_EQ(portal->BoundSession(), portal->Created().at(1));
  EXPECT_TRUE(refused.isEmpty()) << refused.join('|').toStdString();
}

TEST(PortalAvailability, OnlyABusWhosePortalOffersGlobalShortcuts) {
  struct Case {
    const char* name;
    bool portal;
    bool offersShortcuts;
    bool available;
  };
  for (const Case& c : {Case{"no portal", false, false, false}, Case{"portal without shortcuts", true, false, false},
                        Case{"portal with shortcuts", true, true, true}}) {
    SCOPED_TRACE(c.name);
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty());
    std::unique_ptr<FakePortal> portal;
    if (c.portal) {
      portal = std::make_unique<FakePortal>(bus.Address(), c.offersShortcuts);
      ASSERT_TRUE(portal->Registered());
    }
    EXPECT_EQ(PortalGlobalShortcuts::Available(bus.Connect()), c.available);
  }
}

TEST(PortalFailure, ACallThePortalCannotTakeIsReported) {
  PrivateBus bus;
  ASSERT_FALSE(bus.Address().isEmpty());
  FakePortal portal(bus.Address(), false);
  ASSERT_TRUE(portal.Registered());
  PortalGlobalShortcuts shortcuts(bus.Connect());
  QStringList refused;
  QObject::connect(&shortcuts, &hotkeys::HotkeyBackend::Refused, [&](const QString& m) { refused << m; });
  shortcuts.Install(FreshCombinations());
  ASSERT_TRUE(PumpUntil([&] { return !refused.isEmpty(); }));
  ASSERT_EQ(refused.size(), 1);
  EXPECT_TRUE(refused[0].startsWith("The desktop's global hotkey service failed: ")) << refused[0].toStdString();
}

}  // namespace
}  // namespace portal_test
