// A private bus with the fake portal on it and our portal hotkeys on a
// connection of their own, recording what they report.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "app/hotkeys/portal/portal_global_shortcuts.h"
#include "fake_portal.h"
#include "private_bus.h"
#include "pump_until.h"
#include "settings/hotkey_sections.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}

namespace portal_test {

using Combinations = std::array<hotkeys::HotkeyCombination, hotkeys::kActionCount>;

// What a settings file without hotkey sections gives.
inline Combinations FreshCombinations() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ridi.ini"));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  return hotkeys::ReadCombinations(path);
}

class PortalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
    portal = std::make_unique<FakePortal>(bus.Address());
    ASSERT_TRUE(portal->Registered());
    shortcuts = std::make_unique<hotkeys::PortalGlobalShortcuts>(bus.Connect());
    QObject::connect(shortcuts.get(), &hotkeys::HotkeyBackend::Activated, [this](int action) { activated << action; });
    QObject::connect(shortcuts.get(), &hotkeys::HotkeyBackend::Refused,
                     [this](const QString& message) { refused << message; });
  }
  void TearDown() override {
    shortcuts.reset();
    portal.reset();
  }

  // Installs and waits until the desktop has been asked to bind.
  void InstallAndWaitForBind(const Combinations& combinations = FreshCombinations()) {
    const qsizetype before = portal->Binds().size();
    shortcuts->Install(combinations);
    ASSERT_TRUE(PumpUntil([&] { return portal->Binds().size() > before; }));
  }
  // The desktop's signals reach us in the order it sent them: once the last
  // key's action arrived, every key sent before it has been handled.
  void WaitForActions(qsizetype count) {
    ASSERT_TRUE(PumpUntil([&] { return activated.size() >= count; })) << activated.size();
  }

  PrivateBus bus;
  std::unique_ptr<FakePortal> portal;
  std::unique_ptr<hotkeys::PortalGlobalShortcuts> shortcuts;
  QList<int> activated;
  QStringList refused;
};

}  // namespace portal_test
