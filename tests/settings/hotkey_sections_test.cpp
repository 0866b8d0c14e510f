// The three hotkey combinations as the settings file describes them: the
// defaults, partly written sections, keys out of range and duplicates.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/hotkey_sections.h"

namespace {

struct Case {
  const char* name;
  const char* ini;
  const char* texts[hotkeys::kActionCount];
  bool active[hotkeys::kActionCount];
};

const Case kCases[] = {
    {"no file content", "", {"Alt+F1", "Alt+F2", "Alt+F3"}, {true, true, true}},
    {"other sections only", "[OutPut]\nFolder=/x/\n", {"Alt+F1", "Alt+F2", "Alt+F3"}, {true, true, true}},
    // Without keyctrl the other keys of the section do not count.
    {"no keyctrl", "[keystart]\nkeyshift=1\nkeyalt=0\nhotkey=10\n", {"Alt+F1", "Alt+F2", "Alt+F3"},
     {true, true, true}},
    {"keyctrl alone turns the others off", "[keystart]\nkeyctrl=1\n[keypause]\nkeyctrl=0\n",
     {"Ctrl+F1", "F2", "Alt+F3"}, {true, true, true}},
    {"every modifier and a letter", "[keystop]\nkeyctrl=1\nkeyshift=1\nkeyalt=1\nhotkey=35\n",
     {"Alt+F1", "Alt+F2", "Ctrl+Shift+Alt+Z"}, {true, true, true}},
    {"digits and the last function key",
     "[keystart]\nkeyctrl=0\nkeyalt=1\nhotkey=0\n[keypause]\nkeyctrl=0\nkeyshift=1\nhotkey=47\n",
     {"Alt+0", "Shift+F12", "Alt+F3"}, {true, true, true}},
    {"key outside 0..47 is the function key",
     "[keystart]\nkeyctrl=0\nkeyalt=1\nhotkey=48\n[keypause]\nkeyctrl=1\nhotkey=-1\n[keystop]\nkeyctrl=0\nhotkey=x\n",
     {"Alt+F1", "Ctrl+F2", "F3"}, {true, true, true}},
    {"a flag that is no number is off", "[keystart]\nkeyctrl=yes\nkeyalt=1\nhotkey=12\n",
     {"Alt+C", "Alt+F2", "Alt+F3"}, {true, true, true}},
    {"pause on start's combination", "[keypause]\nkeyctrl=0\nkeyalt=1\nhotkey=36\n",
     {"Alt+F1", "Alt+F1", "Alt+F3"}, {true, false, true}},
    {"all three the same: start keeps it",
     "[keypause]\nkeyctrl=0\nkeyalt=1\nhotkey=36\n[keystop]\nkeyctrl=0\nkeyalt=1\nhotkey=36\n",
     {"Alt+F1", "Alt+F1", "Alt+F1"}, {true, false, false}},
    {"stop on pause's combination", "[keystop]\nkeyctrl=0\nkeyalt=1\nhotkey=37\n",
     {"Alt+F1", "Alt+F2", "Alt+F2"}, {true, true, false}},
    // Modifiers take part in the comparison.
    {"same key, other modifiers", "[keypause]\nkeyctrl=1\nkeyalt=1\nhotkey=36\n",
     {"Alt+F1", "Ctrl+Alt+F1", "Alt+F3"}, {true, true, true}},
};

TEST(HotkeySectionsTest, CombinationsFromTheSettingsFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QStringLiteral("ridi.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(c.ini);
    f.close();
    const auto combinations = hotkeys::ReadCombinations(path);
    for (int a = 0; a < hotkeys::kActionCount; ++a) {
      EXPECT_EQ(combinations[a].Text().toStdString(), c.texts[a]) << "action " << a;
      EXPECT_EQ(combinations[a].active, c.active[a]) << "action " << a;
      EXPECT_GE(combinations[a].key, 0);
      EXPECT_LT(combinations[a].key, hotkeys::kKeyCount);
    }
  }
}

TEST(HotkeySectionsTest, MissingFileGivesTheDefaults) {
  const auto combinations = hotkeys::ReadCombinations(QStringLiteral("/nonexistent/ridi.ini"));
  for (int a = 0; a < hotkeys::kActionCount; ++a) {
    EXPECT_EQ(combinations[a].modifiers, unsigned(hotkeys::kModAlt));
    EXPECT_EQ(combinations[a].key, hotkeys::kFirstFunctionKey + a);
    EXPECT_TRUE(combinations[a].active);
  }
}

}  // namespace
