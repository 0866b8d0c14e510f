// Section "Main" of the settings file: the recording controls of the window.
#include <QSignalBlocker>

#include "app/tfrmmain.h"
#include "services/platform_info.h"
#include "settings/ini_edit_session.h"
#include "settings/ini_file.h"
#include "settings/ini_snapshot.h"

namespace {
const QString kMain = QStringLiteral("Main");

// Selects the list index stored under key without running the list's change
// handler. An index the list does not have gives the key's default def: a
// list without a selection would leave no channel count, format or file
// extension to record with.
void LoadListIndex(const IniSnapshot& ini, QComboBox* list, const QString& key, int def) {
  const int index = ini.ReadInteger(kMain, key, def);
  const QSignalBlocker block(list);
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : def);
}
}  // namespace

void Tfrmmain::LoadMainSettings() {
  // One read of the file for all the values.
  const IniSnapshot ini(SettingsFilePath(FWorkFolder));
  {
    const QSignalBlocker block(Cvolume);
    Cvolume->setValue(ini.ReadInteger(kMain, QStringLiteral("Volume"), 20));
  }
  LoadListIndex(ini, cchannel, QStringLiteral("Channel"), 1);
  // With the newer device model the open device decides the rate.
  if (PlatformInfo::version().major <= 5) LoadListIndex(ini, csample, QStringLiteral("Sample"), 5);
  LoadListIndex(ini, cbit, QStringLiteral("Bits"), 1);
  LoadListIndex(ini, cformat, QStringLiteral("Format"), 0);
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

// The whole section in one replacement of the file.
void Tfrmmain::SaveMainSettings() {
  IniEditSession session(SettingsFilePath(FWorkFolder));
  session.WriteInteger(kMain, QStringLiteral("Volume"), Cvolume->value());
  session.WriteInteger(kMain, QStringLiteral("Channel"), cchannel->currentIndex());
  session.WriteInteger(kMain, QStringLiteral("Sample"), csample->currentIndex());
  session.WriteInteger(kMain, QStringLiteral("Bits"), cbit->currentIndex());
  session.WriteInteger(kMain, QStringLiteral("Format"), cformat->currentIndex());
  session.WriteInteger(kMain, QStringLiteral("Vis"), FVisMode);
  session.WriteInteger(kMain, QStringLiteral("List"), OpenListPanel());
  session.Commit();
}
