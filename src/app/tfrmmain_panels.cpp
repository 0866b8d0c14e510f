// The lower panel area: the recordings list or the task list, one at a time.
#include "app/tfrmmain.h"

namespace {
constexpr int kCollapsedHeight = 306;
constexpr int kExpandedHeight = 472;
}  // namespace

void Tfrmmain::SetClientHeight(int height) { setFixedSize(530, height); }

void Tfrmmain::btnreclistClick() {
  if (grectask->isVisible()) {
    grectask->hide();
    greclist->show();
  } else if (FListPanelOpen) {
    SetClientHeight(kCollapsedHeight);
    greclist->hide();
    FListPanelOpen = false;
  } else {
    SetClientHeight(kExpandedHeight);
    greclist->show();
    grectask->hide();
    FListPanelOpen = true;
  }
  CentreOnMonitor();
}

void Tfrmmain::btnscheduleClick() {
  if (greclist->isVisible()) {
    greclist->hide();
    grectask->show();
  } else if (FListPanelOpen) {
    SetClientHeight(kCollapsedHeight);
    grectask->hide();
    FListPanelOpen = false;
  } else {
    SetClientHeight(kExpandedHeight);
    grectask->show();
    greclist->hide();
    FListPanelOpen = true;
  }
  CentreOnMonitor();
}

int Tfrmmain::OpenListPanel() const {
  if (height() <= kCollapsedHeight) return 0;
  return greclist->isVisibleTo(this) ? 1 : 2;
}
