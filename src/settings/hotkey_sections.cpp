#include "settings/hotkey_sections.h"

#include <QFile>

#include "settings/ini_text.h"
#include "settings/ini_value.h"

namespace hotkeys {

QString KeyName(int index) {
  if (index < 0 || index >= kKeyCount) return {};
  if (index < 10) return QString(QLatin1Char(char('0' + index)));
  if (index < kFirstFunctionKey) return QString(QLatin1Char(char('A' + index - 10)));
  return QStringLiteral("F%1").arg(index - kFirstFunctionKey + 1);
}

int VirtualKey(int index) {
  if (index < 0 || index >= kKeyCount) return 0;
  if (index < 10) return '0' + index;
  if (index < kFirstFunctionKey) return 'A' + index - 10;
  return 0x70 + index - kFirstFunctionKey;
}

QString SectionName(int action) {
  static const char* const names[kActionCount] = {"keystart", "keypause", "keystop"};
  return action >= 0 && action < kActionCount ? QString::fromLatin1(names[action]) : QString();
}

QString HotkeyCombination::Text() const {
  QString text;
  if (modifiers & kModControl) text += QStringLiteral("Ctrl+");
  if (modifiers & kModShift) text += QStringLiteral("Shift+");
  if (modifiers & kModAlt) text += QStringLiteral("Alt+");
  return text + KeyName(key);
}

QString HotkeyCombination::PortalTrigger() const {
  QString text;
  if (modifiers & kModControl) text += QStringLiteral("CTRL+");
  if (modifiers & kModShift) text += QStringLiteral("SHIFT+");
  if (modifiers & kModAlt) text += QStringLiteral("ALT+");
  return text + KeyName(key);
}

HotkeyCombination CombinationOf(int action, const HotkeySection& section) {
  HotkeyCombination c;
  const int functionKey = kFirstFunctionKey + action;
  if (!section.ctrl) {
    c.modifiers = kModAlt;
    c.key = functionKey;
    return c;
  }
  c.modifiers = (*section.ctrl ? kModControl : 0u) | (section.shift.value_or(false) ? kModShift : 0u) |
                (section.alt.value_or(false) ? kModAlt : 0u);
  const int key = section.hotkey.value_or(functionKey);
  c.key = key >= 0 && key < kKeyCount ? key : functionKey;
  return c;
}

std::array<HotkeyCombination, kActionCount> Combinations(const std::array<HotkeySection, kActionCount>& sections) {
  std::array<HotkeyCombination, kActionCount> result;
  for (int a = 0; a < kActionCount; ++a) {
    result[a] = CombinationOf(a, sections[a]);
    for (int earlier = 0; earlier < a; ++earlier)
      if (result[earlier].active && result[earlier] == result[a]) result[a].active = false;
  }
  return result;
}

std::array<HotkeySection, kActionCount> ReadSections(const QString& settingsPath) {
  std::array<HotkeySection, kActionCount> sections;
  QFile file(settingsPath);
  if (!file.open(QIODevice::ReadOnly)) return sections;
  const QByteArray text = file.readAll();
  const auto integer = [&text](const QString& section, const char* key) -> std::optional<int> {
    const auto raw = ini::FindValue(text, section, QString::fromLatin1(key));
    if (!raw) return std::nullopt;
    return ini::ParseInteger(ini::DecodeText(*raw));
  };
  // A boolean that is present but not a number reads as off, as IniFile does.
  const auto flag = [&text](const QString& section, const char* key) -> std::optional<bool> {
    const auto raw = ini::FindValue(text, section, QString::fromLatin1(key));
    if (!raw) return std::nullopt;
    return ini::ParseInteger(ini::DecodeText(*raw)).value_or(0) != 0;
  };
  for (int a = 0; a < kActionCount; ++a) {
    const QString name = SectionName(a);
    sections[a].ctrl = flag(name, "keyctrl");
    sections[a].shift = flag(name, "keyshift");
    sections[a].alt = flag(name, "keyalt");
    sections[a].hotkey = integer(name, "hotkey");
  }
  return sections;
}

std::array<HotkeyCombination, kActionCount> ReadCombinations(const QString& settingsPath) {
  return Combinations(ReadSections(settingsPath));
}

}  // namespace hotkeys
