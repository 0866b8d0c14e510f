// The hotkey page: its three sections are written the moment a control
// changes, never while the controls are filled from the file.
#include <QFile>
#include <QStackedWidget>

#include "option_fixture.h"
#include "settings/hotkey_sections.h"

class HotkeyPageTest : public OptionDialogTest {
 protected:
  struct Hotkey {
    bool ctrl, shift, alt;
    int key;
    bool operator==(const Hotkey&) const = default;
  };
  Hotkey shown() const {
    return {value("keyctrl").toBool(), value("keyshift").toBool(), value("keyalt").toBool(),
            value("cboHotkey").toInt()};
  }
  Hotkey stored(const char* section) const {
    const IniFile f = ini();
    return {f.ReadBool(section, "keyctrl", false), f.ReadBool(section, "keyshift", false),
            f.ReadBool(section, "keyalt", false), f.ReadInteger(section, "hotkey", -1)};
  }
  void chooseAction(int action) {
    auto* c = as<QComboBox>("cobaction");
    c->setCurrentIndex(action);
    emit c->activated(action);
  }
};

TEST_F(HotkeyPageTest, ShowingThePageShowsTheStartKeyAndWritesNothing) {
  dlg->ShowPage(8);
  chooseAction(2);
  dlg->ShowPage(7);
  EXPECT_EQ(value("cobaction"), 0);
  EXPECT_EQ(shown(), (Hotkey{false, false, true, 36}));  // Alt+F1
  chooseAction(2);
  EXPECT_EQ(shown(), (Hotkey{false, false, true, 38}));  // "keystop" absent: Alt+F3
  EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(HotkeyPageTest, StopSectionWithoutKeyctrlShowsAltF3AndWritesNothing) {
  IniFile f = ini();
  f.WriteInteger("keystop", "hotkey", 38);
  f.WriteBool("keystart", "keyctrl", true);
  f.WriteBool("keystart", "keyalt", false);
  f.WriteInteger("keystart", "hotkey", 12);
  const QByteArray before = [&] {
    QFile file(iniPath());
    file.open(QIODevice::ReadOnly);
    return file.readAll();
  }();
  dlg->LoadStartHotkey();
  EXPECT_EQ(shown(), (Hotkey{true, false, false, 12}));  // Ctrl+C
  chooseAction(2);
  EXPECT_EQ(shown(), (Hotkey{false, false, true, 38}));
  QFile file(iniPath());
  file.open(QIODevice::ReadOnly);
  EXPECT_EQ(file.readAll(), before);
}

TEST_F(HotkeyPageTest, ChangingAControlWritesTheChosenActionsSection) {
  dlg->LoadStartHotkey();
  chooseAction(1);
  click("keyctrl");
  EXPECT_EQ(stored("keypause"), (Hotkey{true, false, true, 37}));
  auto* key = as<QComboBox>("cboHotkey");
  key->setCurrentIndex(10);
  emit key->activated(10);
  EXPECT_EQ(stored("keypause"), (Hotkey{true, false, true, 10}));
  EXPECT_FALSE(ini().HasKey("keystart", "hotkey"));
  EXPECT_FALSE(ini().HasKey("keystop", "hotkey"));
}

TEST_F(HotkeyPageTest, GuardStopsWritesWhileLoading) {
  dlg->FHotkeyLoading = true;
  click("keyshift");
  dlg->SaveHotkeyOfAction();
  dlg->WriteDefaultHotkeys();
  EXPECT_FALSE(QFile::exists(iniPath()));
  dlg->FHotkeyLoading = false;
  dlg->SaveHotkeyOfAction();
  EXPECT_EQ(stored("keystart"), (Hotkey{false, true, true, 36}));
}

TEST_F(HotkeyPageTest, PageDefaultWritesTheThreeSectionsAndReinstalls) {
  dlg->LoadSettings();
  click("chotkey");  // off: the main window releases
  EXPECT_EQ(link.calls, QStringList{"release"});
  click("chotkey");  // on: released and installed again
  EXPECT_EQ(link.calls, (QStringList{"release", "release", "install"}));
  click("chotkey");
  link.calls.clear();
  chooseAction(2);
  dlg->ShowPage(7);
  click("btndef");
  EXPECT_EQ(stored("keystart"), (Hotkey{false, false, true, 36}));
  EXPECT_EQ(stored("keypause"), (Hotkey{false, false, true, 37}));
  EXPECT_EQ(stored("keystop"), (Hotkey{false, false, false, 38}));
  EXPECT_EQ(value("cobaction"), 0);
  EXPECT_EQ(shown(), (Hotkey{false, false, true, 36}));
  EXPECT_TRUE(value("chotkey").toBool());
  EXPECT_EQ(link.calls.mid(link.calls.size() - 2), (QStringList{"release", "install"}));
}

TEST_F(HotkeyPageTest, KeyIndexOutOfRangeShowsTheActionsDefaultKey) {
  ini().WriteInteger("keypause", "hotkey", 48);
  dlg->LoadHotkeyOfAction(1);
  EXPECT_EQ(value("cboHotkey"), 37);
}

// The page and the grab read the same sections the same way.
TEST_F(HotkeyPageTest, PageShowsWhatTheGrabInstalls) {
  const char* const files[] = {
      "",
      "[keystart]\nkeyctrl=1\nkeyshift=1\nhotkey=5\n[keypause]\nkeyalt=0\nhotkey=20\n",
      "[keystart]\nkeyctrl=0\nhotkey=99\n[keypause]\nkeyctrl=1\nkeyalt=1\n[keystop]\nkeyctrl=0\nkeyshift=1\nhotkey=47\n",
  };
  for (const char* text : files) {
    SCOPED_TRACE(text);
    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    const auto combinations = hotkeys::ReadCombinations(iniPath());
    for (int a = 0; a < hotkeys::kActionCount; ++a) {
      dlg->LoadHotkeyOfAction(a);
      const hotkeys::HotkeyCombination& c = combinations[a];
      EXPECT_EQ(shown(), (Hotkey{bool(c.modifiers & hotkeys::kModControl), bool(c.modifiers & hotkeys::kModShift),
                                 bool(c.modifiers & hotkeys::kModAlt), c.key}))
          << "action " << a;
    }
  }
}

TEST_F(HotkeyPageTest, ChangedKeyIsInstalledAtOnceOnlyWhileEnabled) {
  dlg->LoadStartHotkey();
  click("keyshift");
  EXPECT_EQ(link.calls, (QStringList{"release", "install"}));
  EXPECT_EQ(stored("keystart"), (Hotkey{false, true, true, 36}));
  click("chotkey");  // off
  link.calls.clear();
  click("keyshift");
  EXPECT_EQ(stored("keystart"), (Hotkey{false, false, true, 36}));
  EXPECT_TRUE(link.calls.isEmpty());
}
