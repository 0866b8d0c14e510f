// Section "Main" of the settings file: the recording controls of the window.
#include <QSignalBlocker>

#include "app/tfrmmain.h"
#include "services/platform_info.h"
#include "settings/ini_file.h"

namespace {
const QString kMain = QStringLiteral("Main");

// Sets a list's selection without running its change handler; an index the
// list does not have leaves it without a selection.
void SelectQuietly(QComboBox* list, int index) {
  const QSignalBlocker block(list);
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}
}  // namespace

void Tfrmmain::LoadMainSettings() {
  const IniFile ini(SettingsFilePath(FWorkFolder));
  {
    const QSignalBlocker block(Cvolume);
    Cvolume->setValue(ini.ReadInteger(kMain, QStringLiteral("Volume"), 20));
  }
  SelectQuietly(cchannel, ini.ReadInteger(kMain, QStringLiteral("Channel"), 1));
  // With the newer device model the open device decides the rate.
  if (PlatformInfo::version().major <= 5)
    SelectQuietly(csample, ini.ReadInteger(kMain, QStringLiteral("Sample"), 5));
  SelectQuietly(cbit, ini.ReadInteger(kMain, QStringLiteral("Bits"), 1));
  SelectQuietly(cformat, ini.ReadInteger(kMain, QStringLiteral("Format"), 0));
  FVisMode = ini.ReadInteger(kMain, QStringLiteral("Vis"), 1);
  const int list = ini.ReadInteger(kMain, QStringLiteral("List"), 0);

  CvolumeChange();
  cchannelChange();
  csampleChange();
  cbitChange();
  cformatChange();
  if (list == 1) btnreclistClick();
  if (list == 2) btnscheduleClick();
}

void Tfrmmain::SaveMainSettings() {
  IniFile ini(SettingsFilePath(FWorkFolder));
  ini.WriteInteger(kMain, QStringLiteral("Volume"), Cvolume->value());
  ini.WriteInteger(kMain, QStringLiteral("Channel"), cchannel->currentIndex());
  ini.WriteInteger(kMain, QStringLiteral("Sample"), csample->currentIndex());
  ini.WriteInteger(kMain, QStringLiteral("Bits"), cbit->currentIndex());
  ini.WriteInteger(kMain, QStringLiteral("Format"), cformat->currentIndex());
  ini.WriteInteger(kMain, QStringLiteral("Vis"), FVisMode);
  ini.WriteInteger(kMain, QStringLiteral("List"), OpenListPanel());
}
