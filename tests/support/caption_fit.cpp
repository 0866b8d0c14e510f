#include "support/caption_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTextDocument>
#include <QTreeView>
#include <set>

namespace zovedu_test {

namespace {

// The caption as drawn: "&x" shows x, "&&" shows one ampersand.
QString WithoutMnemonics(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    else if (text[i] == u'&') continue;
    out += text[i];
  }
  return out;
}

std::string Line(const QWidget* w, const QString& text, int needs, int has, const char* unit = "px") {
  return (w->objectName().isEmpty() ? QStringLiteral("(unnamed)") : w->objectName()).toStdString() + "/" +
         w->metaObject()->className() + ": '" + text.toStdString() + "' needs " + std::to_string(needs) + " " +
         unit + ", has " + std::to_string(has) + " px";
}

bool LayoutHolds(const QLayout* layout, const QWidget* w) {
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == w) return true;
    if (item->layout() && LayoutHolds(item->layout(), w)) return true;
  }
  return false;
}

// Hidden by its own choice, not as part of a stack page or layout that has
// not been laid out: its fixed geometry still tells whether it fits.
bool HasMeaningfulGeometry(const QWidget* w, const QWidget* window) {
  for (const QWidget* x = w; x && x != window; x = x->parentWidget()) {
    if (!x->isHidden()) continue;
    const QWidget* parent = x->parentWidget();
    if (qobject_cast<const QStackedWidget*>(parent)) return false;
    if (parent && parent->layout() && LayoutHolds(parent->layout(), x)) return false;
  }
  return true;
}

void CheckLabel(const QLabel* l, std::vector<std::string>& out) {
  const QString text = l->text();
  if (text.isEmpty() || !l->pixmap().isNull()) return;
  const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
  if (l->wordWrap()) {
    const int needs = l->heightForWidth(l->width());
    if (needs > l->height()) out.push_back(Line(l, text, needs, l->height(), "px high"));
    return;
  }
  QSize needs;
  const bool rich = l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
  if (rich) {
    QTextDocument doc;
    doc.setDefaultFont(l->font());
    doc.setDocumentMargin(0);
    doc.setHtml(text);
    needs = QSize(qCeil(doc.idealWidth()), qCeil(doc.size().height()));
  } else {
    const int flags = l->buddy() ? Qt::TextShowMnemonic : 0;
    needs = l->fontMetrics().size(flags, text);
  }
  if (needs.width() > room.width()) out.push_back(Line(l, text, needs.width(), room.width()));
  if (needs.height() > room.height()) out.push_back(Line(l, text, needs.height(), room.height(), "px high"));
}

QStyleOptionButton ButtonOption(const QAbstractButton* b) {
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  opt.icon = b->icon();
  opt.iconSize = b->iconSize();
  opt.state |= b->isChecked() ? QStyle::State_On : QStyle::State_Off;
  if (const auto* p = qobject_cast<const QPushButton*>(b)) {
    if (p->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
    if (p->menu()) opt.features |= QStyleOptionButton::HasMenu;
    if (p->isFlat()) opt.features |= QStyleOptionButton::Flat;
  }
  return opt;
}

void CheckButton(const QAbstractButton* b, std::vector<std::string>& out) {
  const QString shown = WithoutMnemonics(b->text());
  if (shown.isEmpty()) return;
  const QStyle* style = b->style();
  const QStyleOptionButton opt = ButtonOption(b);
  int has = 0;
  if (qobject_cast<const QCheckBox*>(b)) {
    has = style->subElementRect(QStyle::SE_CheckBoxContents, &opt, b).width();
  } else if (qobject_cast<const QRadioButton*>(b)) {
    has = style->subElementRect(QStyle::SE_RadioButtonContents, &opt, b).width();
  } else {
    // A push button keeps its margins clear of the caption.
    has = style->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width() -
          style->pixelMetric(QStyle::PM_ButtonMargin, &opt, b);
    if (opt.features & QStyleOptionButton::HasMenu) has -= style->pixelMetric(QStyle::PM_MenuButtonIndicator, &opt, b);
  }
  if (!b->icon().isNull()) has -= b->iconSize().width() + 4;
  const int needs = b->fontMetrics().horizontalAdvance(shown);
  if (needs > has) out.push_back(Line(b, b->text(), needs, has));
  // A check box or radio button also needs the text's height.
  if (!qobject_cast<const QPushButton*>(b) && b->fontMetrics().height() > b->height())
    out.push_back(Line(b, b->text(), b->fontMetrics().height(), b->height(), "px high"));
}

void CheckGroupBox(const QGroupBox* g, std::vector<std::string>& out) {
  if (g->title().isEmpty()) return;
  QStyleOptionGroupBox opt;
  opt.initFrom(g);
  opt.text = g->title();
  opt.lineWidth = 1;
  opt.midLineWidth = 0;
  opt.textAlignment = g->alignment();
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  if (g->isCheckable()) {
    opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    opt.state |= g->isChecked() ? QStyle::State_On : QStyle::State_Off;
  }
  if (g->isFlat()) opt.features |= QStyleOptionFrame::Flat;
  const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
  const int has = label.intersected(g->rect()).width();
  if (label.width() > has) out.push_back(Line(g, g->title(), label.width(), has));
}

void CheckTreeItems(const QTreeView* tree, const QModelIndex& parent, std::vector<std::string>& out) {
  const QAbstractItemModel* model = tree->model();
  const QStyle* style = tree->style();
  const int textMargin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
  for (int row = 0; row < model->rowCount(parent); ++row) {
    if (tree->isRowHidden(row, parent)) continue;
    for (int column = 0; column < model->columnCount(parent); ++column) {
      if (tree->isColumnHidden(column)) continue;
      const QModelIndex index = model->index(row, column, parent);
      const QString text = index.data(Qt::DisplayRole).toString();
      if (text.isEmpty()) continue;
      const QVariant fontData = index.data(Qt::FontRole);
      const QFontMetrics fm(fontData.isValid() ? fontData.value<QFont>() : tree->font());
      int needs = fm.horizontalAdvance(text) + textMargin;
      const QVariant decoration = index.data(Qt::DecorationRole);
      if (decoration.canConvert<QIcon>() && !decoration.value<QIcon>().isNull())
        needs += decoration.value<QIcon>().actualSize(tree->iconSize()).width() + textMargin;
      else if (decoration.canConvert<QPixmap>() && !decoration.value<QPixmap>().isNull())
        needs += decoration.value<QPixmap>().deviceIndependentSize().toSize().width() + textMargin;
      if (index.data(Qt::CheckStateRole).isValid())
        needs += style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, tree) + textMargin;
      const int has = tree->visualRect(index).width();
      if (needs > has) out.push_back(Line(tree, text, needs, has));
    }
    const QModelIndex first = model->index(row, 0, parent);
    if (tree->isExpanded(first)) CheckTreeItems(tree, first, out);
  }
}

QString Caption(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->pixmap().isNull() ? l->text() : QString();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  return {};
}

// A control with a caption that its parents cut off (a window too small for
// its controls) hides the caption as much as a control too small for it.
void CheckInsideWindow(const QWidget* w, const QWidget* window, std::vector<std::string>& out) {
  const QString caption = Caption(w);
  // Hidden panels are shown with the window grown to hold them.
  if (w == window || caption.isEmpty() || !w->isVisibleTo(window)) return;
  QRect shown = w->rect();
  for (const QWidget* x = w; x != window; x = x->parentWidget()) {
    shown.translate(x->pos());
    shown &= x->parentWidget()->rect();
  }
  if (shown.width() < w->width() || shown.height() < w->height())
    out.push_back((w->objectName().isEmpty() ? QStringLiteral("(unnamed)") : w->objectName()).toStdString() + "/" +
                  w->metaObject()->className() + ": '" + caption.toStdString() + "' is " + std::to_string(w->width()) +
                  " x " + std::to_string(w->height()) + " px, shows " + std::to_string(shown.width()) + " x " +
                  std::to_string(shown.height()) + " px inside the window");
}

void LayOut(QWidget* window) {
  window->ensurePolished();
  for (QWidget* w : window->findChildren<QWidget*>()) w->ensurePolished();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  if (window->layout()) window->layout()->activate();
  for (QWidget* w : window->findChildren<QWidget*>())
    if (w->layout()) w->layout()->activate();
}

void CheckAll(QWidget* window, std::vector<std::string>& out, std::set<std::string>& seen) {
  LayOut(window);
  std::vector<std::string> found;
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* w : widgets) {
    // Dialogs owned by the window are windows of their own.
    if (w->window() != window || !HasMeaningfulGeometry(w, window)) continue;
    CheckInsideWindow(w, window, found);
    CheckCaption(w, found);
  }
  for (auto& line : found)
    if (seen.insert(line).second) out.push_back(std::move(line));
}

// Shows page of the stack, through the tab widget when it is one's.
void ShowPage(QStackedWidget* stack, int index) {
  if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) tabs->setCurrentIndex(index);
  else stack->setCurrentIndex(index);
}

// Brings forward every stack page that holds w.
void ShowChain(QWidget* w, QWidget* window) {
  for (QWidget* x = w; x && x != window; x = x->parentWidget())
    if (auto* stack = qobject_cast<QStackedWidget*>(x->parentWidget())) ShowPage(stack, stack->indexOf(x));
}

}  // namespace

void CheckCaption(const QWidget* w, std::vector<std::string>& out) {
  if (auto* l = qobject_cast<const QLabel*>(w)) CheckLabel(l, out);
  else if (auto* b = qobject_cast<const QAbstractButton*>(w)) CheckButton(b, out);
  else if (auto* g = qobject_cast<const QGroupBox*>(w)) CheckGroupBox(g, out);
  else if (auto* t = qobject_cast<const QTreeView*>(w)) CheckTreeItems(t, t->rootIndex(), out);
}

std::vector<std::string> ClippedCaptions(QWidget* window) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  const QList<QStackedWidget*> stacks = window->findChildren<QStackedWidget*>();
  std::vector<int> current;
  for (QStackedWidget* s : stacks) current.push_back(s->currentIndex());
  CheckAll(window, out, seen);
  for (QStackedWidget* s : stacks) {
    for (int i = 0; i < s->count(); ++i) {
      ShowChain(s, window);
      ShowPage(s, i);
      CheckAll(window, out, seen);
    }
  }
  for (qsizetype i = stacks.size(); i-- > 0;) ShowPage(stacks[i], current[static_cast<size_t>(i)]);
  LayOut(window);
  return out;
}

bool AllItemsVisible(QTreeView* tree) {
  tree->doItemsLayout();
  QCoreApplication::sendPostedEvents(tree);
  // Something to scroll to means something out of sight.
  if (tree->horizontalScrollBar()->maximum() > 0 || tree->verticalScrollBar()->maximum() > 0) return false;
  const QRect viewport = tree->viewport()->rect();
  const QAbstractItemModel* model = tree->model();
  std::vector<QModelIndex> parents{tree->rootIndex()};
  while (!parents.empty()) {
    const QModelIndex parent = parents.back();
    parents.pop_back();
    for (int row = 0; row < model->rowCount(parent); ++row) {
      if (tree->isRowHidden(row, parent)) continue;
      for (int column = 0; column < model->columnCount(parent); ++column) {
        if (tree->isColumnHidden(column)) continue;
        if (!viewport.contains(tree->visualRect(model->index(row, column, parent)))) return false;
      }
      const QModelIndex first = model->index(row, 0, parent);
      if (tree->isExpanded(first)) parents.push_back(first);
    }
  }
  return true;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

}  // namespace zovedu_test
