// The three global hotkeys as the settings file describes them: sections
// "keystart", "keypause" and "keystop" turned into key combinations. The
// hotkey page shows and the grab registers what this returns, so the two
// never disagree.
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace hotkeys {

enum HotkeyAction { kStartAction = 0, kPauseAction = 1, kStopAction = 2 };
constexpr int kActionCount = 3;

// Modifier bits as stored by the recorder's hotkey set-up.
enum HotkeyModifier : unsigned { kModAlt = 1, kModControl = 2, kModShift = 4 };

// 48 keys: 0..9 "0".."9", 10..35 "A".."Z", 36..47 "F1".."F12".
constexpr int kKeyCount = 48;
constexpr int kFirstFunctionKey = 36;

// "0".."9", "A".."Z", "F1".."F12"; empty outside 0..47.
QString KeyName(int index);
// The key's virtual-key code: '0'..'9', 'A'..'Z', 0x70..0x7B; 0 outside 0..47.
int VirtualKey(int index);
// "keystart", "keypause", "keystop".
QString SectionName(int action);

struct HotkeyCombination {
  unsigned modifiers = kModAlt;
  int key = kFirstFunctionKey;  // index into the key table, always 0..47
  // False when an earlier action (start, then pause, then stop) already uses
  // the same combination: that action keeps it and this one is not installed.
  bool active = true;

  // "Ctrl+Shift+Alt+F1" order: Ctrl, Shift, Alt, then the key.
  QString Text() const;
  // The shortcut text desktop portals take as a preferred trigger ("CTRL+ALT+F1").
  QString PortalTrigger() const;
  bool operator==(const HotkeyCombination& o) const { return modifiers == o.modifiers && key == o.key; }
};

// What one section holds; absent values are empty.
struct HotkeySection {
  std::optional<bool> ctrl, shift, alt;
  std::optional<int> hotkey;
};

// A section without "keyctrl" is Alt with F1, F2 or F3 (start, pause, stop).
// Otherwise each missing modifier is off, and a missing "hotkey" or one
// outside 0..47 is that action's function key.
HotkeyCombination CombinationOf(int action, const HotkeySection& section);
// The three combinations; a later action on an earlier one's combination is
// made inactive.
std::array<HotkeyCombination, kActionCount> Combinations(const std::array<HotkeySection, kActionCount>& sections);

// Reads the three sections from the settings file at path, in one pass.
std::array<HotkeySection, kActionCount> ReadSections(const QString& settingsPath);
std::array<HotkeyCombination, kActionCount> ReadCombinations(const QString& settingsPath);

}  // namespace hotkeys
