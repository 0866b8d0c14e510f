// Moving the options between the settings file and the dialog's controls, the
// page defaults, and the hotkey sections written by the hotkey page.
//
// Decisions on points the settings leave open:
// - A list index read from the file that names no item (absent, negative or
//   past the end) is replaced by the key's default; the MP3 bitrate lists,
//   whose keys default to "no selection", keep the selection they were filled
//   with. So no list is left without a selection for the command lines.
// - List indexes of the conditional keys are written whenever the list has a
//   selection, index 0 included, so that choosing the first bitrate survives
//   a restart; they are still not written when their mode is not chosen.
// - The stored WMA bitrate and quality indexes are applied after the rate
//   lists are rebuilt, when the rebuilt list has that many entries.
// - "Wvbit" false chooses "kbits/second", so that the hybrid value saved in
//   that mode comes back in its own range.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <optional>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "services/paths.h"
#include "settings/hotkey_sections.h"
#include "settings/ini_edit_session.h"
#include "settings/ini_file.h"
#include "settings/ini_snapshot.h"

namespace {

constexpr int FirstFunctionKey = hotkeys::kFirstFunctionKey;  // "F1" in the key list

// Sets FHotkeyLoading for as long as the hotkey controls are being filled.
class HotkeyLoadingScope {
 public:
  explicit HotkeyLoadingScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~HotkeyLoadingScope() { flag_ = old_; }

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

QString Tfrmoption::SettingsPath() const { return SettingsFilePath(link_->WorkFolder()); }

QString Tfrmoption::DefaultOutputFolder() const {
  return WithTrailingBackslash(link_->MusicFolder(), true) + QStringLiteral("My Recordings/");
}

QVariant Tfrmoption::AbsentValue(const OptionSetting& s) const {
  return s.control == Efolder ? QVariant(DefaultOutputFolder()) : s.absent;
}

void Tfrmoption::ApplyValue(QWidget* control, const QVariant& value) {
  if (control == gsplit) {
    const QList<QRadioButton*> buttons = SplitChoiceButtons();
    const int index = value.toInt();
    if (index >= 0 && index < buttons.size()) SetRadioChecked(buttons[index], true);
  } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
    SetRadioChecked(radio, value.toBool());
  } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
    box->setChecked(value.toBool());
  } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
    combo->setCurrentIndex(value.toInt());
  } else if (auto* slider = qobject_cast<QSlider*>(control)) {
    slider->setValue(value.toInt());  // the slider clamps to its range
  } else if (auto* upDown = qobject_cast<TUpDown*>(control)) {
    upDown->setPosition(value.toInt());
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(value.toString());
  }
}

bool Tfrmoption::ConditionHolds(OptionSetting::Condition c, bool forSaving) const {
  using C = OptionSetting::Condition;
  // Loading needs items to choose from; saving needs a chosen item.
  auto ready = [forSaving](const QComboBox* combo) {
    return forSaving ? combo->currentIndex() >= 0 : combo->count() > 0;
  };
  switch (c) {
    case C::Always: return true;
    case C::Mp3Cbr: return cmp3cbr->isChecked() && ready(mp3cbrbitratecom);
    case C::Mp3Vbr:
      return cmp3vbr->isChecked() && ready(mp3minbitratecom) && ready(mp3maxbitratecom);
    case C::WmaCbr: return cwmacbr->isChecked() && ready(wmacbrbitratecom);
    case C::WmaVbr: return cwmavbr->isChecked() && ready(wmaqualitycom);
  }
  return false;
}

void Tfrmoption::LoadSetting(const IniSnapshot& ini, const OptionSetting& s) {
  const QVariant absent = AbsentValue(s);
  if (auto* combo = qobject_cast<QComboBox*>(s.control)) {
    int index = ini.ReadInteger(s.section, s.key, absent.toInt());
    if (index < 0 || index >= combo->count()) index = absent.toInt();
    if (index >= 0 && index < combo->count()) combo->setCurrentIndex(index);
    return;
  }
  if (s.control == gsplit) {
    // An index that names no limit keeps the one chosen at first.
    const int index = ini.ReadInteger(s.section, s.key, absent.toInt());
    ApplyValue(gsplit, index >= 0 && index < SplitChoiceButtons().size() ? index : absent.toInt());
    return;
  }
  if (s.control == cwvbit) {
    // Only the bits-per-sample choice is stored; its opposite is kbit/s.
    const bool bitMode = ini.ReadBool(s.section, s.key, absent.toBool());
    SetRadioChecked(bitMode ? cwvbit : cwvsample, true);
    return;
  }
  if (qobject_cast<QAbstractButton*>(s.control)) {
    ApplyValue(s.control, ini.ReadBool(s.section, s.key, absent.toBool()));
  } else if (qobject_cast<QLineEdit*>(s.control)) {
    ApplyValue(s.control, ini.ReadString(s.section, s.key, absent.toString()));
  } else {
    ApplyValue(s.control, ini.ReadInteger(s.section, s.key, absent.toInt()));
  }
}

void Tfrmoption::LoadSettings() {
  // One read of the file for all the values.
  const IniSnapshot ini(SettingsPath());
  std::optional<int> wmaBitrate, wmaQuality;
  for (const OptionSetting& s : FSettings) {
    if (s.condition == OptionSetting::Condition::WmaCbr ||
        s.condition == OptionSetting::Condition::WmaVbr) {
      // Read for the chosen mode now, applied once the lists are rebuilt below.
      const bool cbr = s.condition == OptionSetting::Condition::WmaCbr;
      if ((cbr ? cwmacbr : cwmavbr)->isChecked())
        (cbr ? wmaBitrate : wmaQuality) = ini.ReadInteger(s.section, s.key, s.absent.toInt());
    } else if (ConditionHolds(s.condition, false)) {
      LoadSetting(ini, s);
    }

    if (s.control == mp3presetcom) FillMp3BitrateLists();
    if (s.control == aacformatcom) aacmpegcom->setEnabled(aacformatcom->currentIndex() == 0);
    if (s.control == wmaqualitycom) {
      FillWmaRateLists();
      if (wmaBitrate && *wmaBitrate >= 0 && *wmaBitrate < wmacbrbitratecom->count())
        wmacbrbitratecom->setCurrentIndex(*wmaBitrate);
      if (wmaQuality && *wmaQuality >= 0 && *wmaQuality < wmaqualitycom->count())
        wmaqualitycom->setCurrentIndex(*wmaQuality);
    }
  }
}

void Tfrmoption::SaveSetting(IniEditSession& session, const OptionSetting& s) const {
  if (s.control == gsplit) {
    if (const int index = static_cast<int>(ChosenSplit()) - 1; index >= 0)
      session.WriteInteger(s.section, s.key, index);
    return;
  }
  if (auto* combo = qobject_cast<QComboBox*>(s.control)) {
    session.WriteInteger(s.section, s.key, combo->currentIndex());
  } else if (auto* button = qobject_cast<QAbstractButton*>(s.control)) {
    session.WriteBool(s.section, s.key, button->isChecked());
  } else if (auto* slider = qobject_cast<QSlider*>(s.control)) {
    session.WriteInteger(s.section, s.key, slider->value());
  } else if (auto* upDown = qobject_cast<TUpDown*>(s.control)) {
    session.WriteInteger(s.section, s.key, upDown->position());
  } else if (auto* edit = qobject_cast<QLineEdit*>(s.control)) {
    session.WriteString(s.section, s.key, edit->text());
  }
}

// All options in one replacement of the file: one read, one sync, one rename.
void Tfrmoption::SaveSettings() {
  IniEditSession session(SettingsPath());
  for (const OptionSetting& s : FSettings)
    if (ConditionHolds(s.condition, true)) SaveSetting(session, s);
  session.Commit();
}

void Tfrmoption::ResetPageDefaults(int page) {
  const bool wmaWasCbr = cwmacbr->isChecked();
  for (const OptionSetting& s : FSettings) {
    if (s.page != page) continue;
    if (s.control == Efolder) ApplyValue(Efolder, DefaultOutputFolder());
    else if (s.pageDefault.isValid()) ApplyValue(s.control, s.pageDefault);
  }
  switch (page) {
    case 6:
      for (QWidget* w : {barfilterlow, barfilterhigh, barnotchpass}) w->setEnabled(false);
      break;
    case 7:
      WriteDefaultHotkeys();
      LoadStartHotkey();
      // Checking the box installs them; when it was checked already, the
      // new combinations replace the old ones here.
      if (chotkey->isChecked())
        link_->ReinstallHotkeys();
      else
        chotkey->setChecked(true);
      break;
    case 9:
      // Checking "CBR" rebuilt the lists already; otherwise the lists still
      // belong to the channel and codec chosen before the reset.
      if (wmaWasCbr) FillWmaRateLists();
      if (wmacbrbitratecom->count() > 0) wmacbrbitratecom->setCurrentIndex(0);
      break;
    case 12:
      aacmpegcom->setEnabled(aacformatcom->currentIndex() == 0);
      break;
    default:
      break;
  }
}

void Tfrmoption::LoadHotkeyOfAction(int action) {
  if (action < 0 || action > 2) return;
  HotkeyLoadingScope loading(FHotkeyLoading);
  // The page shows exactly what the main window grabs.
  const hotkeys::HotkeyCombination c = hotkeys::CombinationOf(action, hotkeys::ReadSections(SettingsPath())[action]);
  cobaction->setCurrentIndex(action);
  keyctrl->setChecked(c.modifiers & hotkeys::kModControl);
  keyshift->setChecked(c.modifiers & hotkeys::kModShift);
  keyalt->setChecked(c.modifiers & hotkeys::kModAlt);
  cboHotkey->setCurrentIndex(c.key);
}

void Tfrmoption::LoadStartHotkey() { LoadHotkeyOfAction(0); }

void Tfrmoption::SaveHotkeyOfAction() {
  if (FHotkeyLoading) return;
  const int action = cobaction->currentIndex();
  if (action < 0 || action > 2) return;
  IniEditSession session(SettingsPath());
  const QString section = hotkeys::SectionName(action);
  session.WriteBool(section, QStringLiteral("keyctrl"), keyctrl->isChecked());
  session.WriteBool(section, QStringLiteral("keyshift"), keyshift->isChecked());
  session.WriteBool(section, QStringLiteral("keyalt"), keyalt->isChecked());
  session.WriteInteger(section, QStringLiteral("hotkey"), cboHotkey->currentIndex());
  session.Commit();
  // The changed combination applies at once.
  if (chotkey->isChecked()) link_->ReinstallHotkeys();
}

void Tfrmoption::WriteDefaultHotkeys() {
  if (FHotkeyLoading) return;
  IniEditSession session(SettingsPath());
  // Alt+F1 starts, Alt+F2 pauses, F3 alone stops.
  const struct {
    bool alt;
    int key;
  } defaults[3] = {{true, FirstFunctionKey}, {true, FirstFunctionKey + 1}, {false, FirstFunctionKey + 2}};
  for (int i = 0; i < 3; ++i) {
    const QString section = hotkeys::SectionName(i);
    session.WriteBool(section, QStringLiteral("keyctrl"), false);
    session.WriteBool(section, QStringLiteral("keyshift"), false);
    session.WriteBool(section, QStringLiteral("keyalt"), defaults[i].alt);
    session.WriteInteger(section, QStringLiteral("hotkey"), defaults[i].key);
  }
  session.Commit();
}
