// Finds captions that the controls of a window cut off: labels, buttons,
// check boxes, radio buttons, group box titles and tree items, on every page
// of its stacked and tabbed widgets.
#pragma once

#include <string>
#include <vector>

class QTreeView;
class QWidget;

namespace zovedu_test {

// One line per caption that does not fit, e.g.
// "btnschedule/QPushButton: 'Scheduler' needs 60 px, has 48 px".
// Lays the window out first; shows each page of a stacked or tabbed widget
// in turn and restores the page that was current.
std::vector<std::string> ClippedCaptions(QWidget* window);

// The same check for one control (label, button, group box title, tree
// items), as laid out now; appends a line per caption that does not fit.
void CheckCaption(const QWidget* control, std::vector<std::string>& out);

// True when every item of the tree (under expanded parents) lies wholly
// inside its viewport, so none needs scrolling to be seen.
bool AllItemsVisible(QTreeView* tree);

// The lines joined for a failure message.
std::string Joined(const std::vector<std::string>& lines);

}  // namespace zovedu_test
