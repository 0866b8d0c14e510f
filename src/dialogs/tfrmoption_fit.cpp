// Places the tree, the pages and the buttons of the options dialog. The
// designed geometry is for the program's 11 px font and scales with a larger
// one; the tree grows until every node shows without scrolling and the pages
// until the largest page's controls fit, and the dialog grows with them.
#include <QLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>

#include "dialogs/font_scale.h"
#include "dialogs/tfrmoption.h"

namespace {

int Depth(const QTreeWidgetItem* item) {
  int depth = 0;
  for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent()) ++depth;
  return depth;
}

// The room a page needs at the given width; wrapping text needs more height
// the narrower it is.
QSize PageSizeNeeded(QWidget* page, int width) {
  page->ensurePolished();
  QLayout* layout = page->layout();
  if (!layout) return page->minimumSizeHint();
  const QSize least = layout->totalMinimumSize();
  const int w = qMax(width, least.width());
  const int h = layout->hasHeightForWidth() ? qMax(least.height(), layout->totalHeightForWidth(w)) : least.height();
  return {w, h};
}

// The width at which the button's caption shows whole: the caption, the
// margin the style keeps clear around it and the button's frame.
int ButtonWidthNeeded(const QPushButton* b, int height) {
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  opt.rect = QRect(0, 0, 100, height);
  const QStyle* style = b->style();
  const int frame = opt.rect.width() - style->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width();
  const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &opt, b);
  return b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&'))) + margin + frame;
}

}  // namespace

QSize Tfrmoption::TreeSizeNeeded() const {
  treeopt->ensurePolished();
  const int indent = treeopt->indentation();
  int width = 0;
  int height = 0;
  for (const QTreeWidgetItem* item : FNodes) {
    const QSize hint = treeopt->sizeHintForIndex(treeopt->indexFromItem(item));
    const int levels = Depth(item) + (treeopt->rootIsDecorated() ? 1 : 0);
    width = qMax(width, hint.width() + levels * indent);
    height += hint.height();
  }
  const int frame = 2 * treeopt->frameWidth();
  return {width + frame, height + frame};
}

void Tfrmoption::FitFrame() {
  const double k = FontScale(this);
  const auto s = [k](int designed) { return Scaled(designed, k); };

  const QSize tree = TreeSizeNeeded();
  int pageWidth = s(353);
  for (int i = 0; i < PageControl1->count(); ++i)
    pageWidth = qMax(pageWidth, PageSizeNeeded(PageControl1->widget(i), s(353)).width());
  int pageHeight = s(210);
  for (int i = 0; i < PageControl1->count(); ++i)
    pageHeight = qMax(pageHeight, PageSizeNeeded(PageControl1->widget(i), pageWidth).height());

  // Tree and pages share the extra height so that their bottoms stay aligned.
  const int extra = qMax(0, qMax(tree.height() - s(209), pageHeight - s(210)));
  const int treeWidth = qMax(s(128), tree.width());
  treeopt->setGeometry(s(6), s(6), treeWidth, s(209) + extra);
  PageControl1->setGeometry(s(6) + treeWidth + s(4), s(6), pageWidth, s(210) + extra);

  const int width = PageControl1->geometry().right() + 1 + s(4);
  const int buttonY = s(238) + extra;
  int buttonHeight = s(25);
  for (QPushButton* b : {btndall, btndef, btnok, btncancel}) buttonHeight = qMax(buttonHeight, b->sizeHint().height());
  const auto buttonWidth = [&](QPushButton* b) { return qMax(s(78), ButtonWidthNeeded(b, buttonHeight)); };
  // "Default All" and "Default" on the left, "Ok" and "Cancel" on the right.
  btndall->setGeometry(s(6), buttonY, buttonWidth(btndall), buttonHeight);
  btndef->setGeometry(btndall->geometry().right() + 1 + s(8), buttonY, buttonWidth(btndef), buttonHeight);
  const int cancelWidth = buttonWidth(btncancel);
  btncancel->setGeometry(width - s(5) - cancelWidth, buttonY, cancelWidth, buttonHeight);
  const int okWidth = buttonWidth(btnok);
  btnok->setGeometry(btncancel->x() - s(4) - okWidth, buttonY, okWidth, buttonHeight);

  setFixedSize(width, buttonY + buttonHeight + s(8));
}
