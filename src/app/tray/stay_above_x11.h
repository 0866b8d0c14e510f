// Asks the X11 window manager to keep a shown window above others, or no
// longer (_NET_WM_STATE_ABOVE). Qt writes that state from the window's flags
// only when it maps the window; for a window already shown the window
// manager acts on this request instead. Off X11, or for a window not shown,
// nothing happens (the flags apply when it is shown).
#pragma once

class QWindow;

void RequestStayAbove(QWindow* window, bool above);
