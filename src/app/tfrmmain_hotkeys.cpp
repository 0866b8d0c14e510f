// Global hotkeys: installed from the hotkey sections, released at close.
#include "app/tfrmmain.h"

void Tfrmmain::ReleaseHotkeys() {}
void Tfrmmain::InstallHotkeys() {}
void Tfrmmain::ReinstallHotkeys() {
  ReleaseHotkeys();
  InstallHotkeys();
}
void Tfrmmain::HotkeyMessage(int) {}
