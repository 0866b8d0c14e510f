// The lower panel area: the recordings list or the task list, one at a time.
#include "app/tfrmmain.h"
#include "dialogs/font_scale.h"

namespace {
constexpr int kCollapsedHeight = 306;
constexpr int kExpandedHeight = 472;
}  // namespace

// Heights are designed for the base font and grow with a larger one.
void Tfrmmain::SetClientHeight(int height) { setFixedSize(width(), Scaled(height, FontScale(this))); }

// Shows `panel`: switches over from the other panel without changing the
// height, else opens or closes the area. Then re-centres the window.
void Tfrmmain::TogglePanel(QGroupBox* panel, QGroupBox* other) {
  if (other->isVisibleTo(this)) {
    other->hide();
    panel->show();
  } else if (FListPanelOpen) {
    SetClientHeight(kCollapsedHeight);
    panel->hide();
    FListPanelOpen = false;
  } else {
    SetClientHeight(kExpandedHeight);
    panel->show();
    other->hide();
    FListPanelOpen = true;
  }
  CentreOnMonitor();
}

void Tfrmmain::btnreclistClick() { TogglePanel(greclist, grectask); }
void Tfrmmain::btnscheduleClick() { TogglePanel(grectask, greclist); }

int Tfrmmain::OpenListPanel() const {
  if (height() <= Scaled(kCollapsedHeight, FontScale(this))) return 0;
  return greclist->isVisibleTo(this) ? 1 : 2;
}
