// Every window and dialog read as a screen reader reads it, through Qt's
// accessibility interface: each control a user can focus or act on has a
// name, no two controls of a window share a name and role, no two visible
// mnemonics of a window clash, and the pictures say what they show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <algorithm>
#include <map>

#include "caption_fit/windows_fixture.h"

namespace {

// The roles of what a user focuses or acts on.
bool IsControl(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::PageTabList:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::Dial:
      return true;
    default:
      return false;
  }
}

QString Describe(QAccessibleInterface* i) {
  const QObject* o = i->object();
  return QStringLiteral("%1/%2 '%3'")
      .arg(o ? o->objectName() : QString(), o ? QString::fromLatin1(o->metaObject()->className()) : QString(),
           i->text(QAccessible::Name));
}

// Walks the accessible tree below a window; the rows of lists, tables and
// trees and the popup of a combo box are their contents, not controls.
void CollectControls(QAccessibleInterface* i, std::vector<QAccessibleInterface*>& out) {
  const QAccessible::Role role = i->role();
  if (IsControl(role)) out.push_back(i);
  if (role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree ||
      role == QAccessible::ComboBox)
    return;
  for (int k = 0; k < i->childCount(); ++k)
    if (QAccessibleInterface* child = i->child(k)) CollectControls(child, out);
}

std::string Lines(const QStringList& lines) { return lines.join(QLatin1Char('\n')).toStdString(); }

// The page a widget shows on: the nearest page of a stacked or tabbed widget
// above it, else its window.
QWidget* ScopeOf(const QWidget* w) {
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
    if (p->isWindow()) return p;
    if (qobject_cast<QStackedWidget*>(p->parentWidget())) return p;
  }
  return w->window();
}

// Shown whenever its page shows (not hidden by the program below the page).
bool ShownWithPage(const QWidget* w, const QWidget* scope) {
  for (const QWidget* p = w; p && p != scope; p = p->parentWidget())
    if (p->isHidden()) return false;
  return true;
}

// Keys (a name and role, a mnemonic) that two things showing together share:
// on one page, or one on a page and one around it. Pages of one stack never
// show together.
class Clashes {
 public:
  void Add(const QWidget* w, const QString& key, const QString& what) {
    const QWidget* scope = ScopeOf(w);
    byScope_[scope].emplace_back(key, what);
  }
  QStringList Found(const QString& kind) const {
    QStringList faults;
    for (const auto& [scope, keys] : byScope_) {
      std::vector<std::pair<QString, QString>> around;
      for (const QWidget* s = scope; s; s = s->isWindow() ? nullptr : ScopeOf(s)) {
        const auto it = byScope_.find(s);
        if (it != byScope_.end()) around.insert(around.end(), it->second.begin(), it->second.end());
      }
      for (const auto& [key, what] : keys)
        for (const auto& [otherKey, otherWhat] : around)
          if (key == otherKey && what != otherWhat)
            faults << QStringLiteral("%1 %2: %3 and %4")
                          .arg(kind, key, std::min(what, otherWhat), std::max(what, otherWhat));
    }
    faults.removeDuplicates();
    return faults;
  }

 private:
  std::map<const QWidget*, std::vector<std::pair<QString, QString>>> byScope_;
};

// Controls without a name, and a name and role two controls showing together share.
QStringList NameFaults(QWidget* window) {
  std::vector<QAccessibleInterface*> controls;
  CollectControls(QAccessible::queryAccessibleInterface(window), controls);
  QStringList faults;
  Clashes clashes;
  for (QAccessibleInterface* c : controls) {
    const QString name = c->text(QAccessible::Name).trimmed();
    if (name.isEmpty()) {
      faults << QStringLiteral("no name: ") + Describe(c);
      continue;
    }
    if (auto* w = qobject_cast<QWidget*>(c->object()))
      clashes.Add(w, QStringLiteral("%1 '%2'").arg(int(c->role())).arg(name), Describe(c));
  }
  return faults + clashes.Found(QStringLiteral("role and name"));
}

// Two controls showing together with one mnemonic, or two entries of a menu.
QStringList MnemonicFaults(QWidget* window) {
  Clashes clashes;
  const auto add = [&](QWidget* w, const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty() && ShownWithPage(w, ScopeOf(w)))
      clashes.Add(w, key.toString(), w->objectName() + QStringLiteral(" '") + text + "'");
  };
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() != window) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b, b->text());
    if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) add(l, l->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) add(g, g->title());
    if (auto* t = qobject_cast<QTabBar*>(w))
      for (int k = 0; k < t->count(); ++k) add(t, t->tabText(k));
  }
  QStringList faults;
  for (QMenu* menu : window->findChildren<QMenu*>()) {
    std::map<QString, QString> keys;
    for (QAction* a : menu->actions()) {
      const QKeySequence key = QKeySequence::mnemonic(a->text());
      if (key.isEmpty()) continue;
      if (!keys.emplace(key.toString(), a->text()).second)
        faults << QStringLiteral("menu %1: %2 for '%3' and '%4'")
                      .arg(menu->objectName(), key.toString(), keys[key.toString()], a->text());
    }
  }
  return faults + clashes.Found(QStringLiteral("mnemonic"));
}

// The push buttons along the window's bottom edge (below every other control)
// come after the controls above them in the tab order, as they do in reading
// order.
QStringList TabOrderFaults(QWidget* window) {
  std::vector<QWidget*> chain;
  for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
    if (w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) chain.push_back(w);
  const auto top = [window](QWidget* w) { return w->mapTo(window, QPoint(0, 0)).y(); };
  int lowest = 0;  // the lowest bottom edge of what is not a push button
  for (QWidget* w : chain)
    if (!qobject_cast<QPushButton*>(w)) lowest = std::max(lowest, top(w) + w->height());
  QStringList faults;
  bool buttonsReached = false;
  for (QWidget* w : chain) {
    const bool bottomButton = qobject_cast<QPushButton*>(w) && top(w) >= lowest;
    if (buttonsReached && !bottomButton)
      faults << QStringLiteral("tab order: %1/%2 comes after the buttons at the bottom")
                    .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()));
    buttonsReached = buttonsReached || bottomButton;
  }
  return faults;
}

// A picture that shows information: named, with a text of what it shows.
QStringList PictureFaults(QWidget* window, const std::vector<const char*>& pictures) {
  QStringList faults;
  for (const char* name : pictures) {
    auto* w = window->findChild<QWidget*>(QLatin1String(name));
    if (!w) {
      faults << QStringLiteral("no picture ") + name;
      continue;
    }
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    if (i->text(QAccessible::Name).isEmpty() || i->text(QAccessible::Description).isEmpty())
      faults << QStringLiteral("picture without name or text: ") + name;
  }
  return faults;
}

class AccessibilityTest : public WindowsFixture {
 protected:
  void ExpectReadable(QWidget* window, const std::vector<const char*>& pictures = {}) {
    SCOPED_TRACE(window->objectName().toStdString());
    window->show();
    const QStringList names = NameFaults(window);
    EXPECT_TRUE(names.isEmpty()) << Lines(names);
    const QStringList mnemonics = MnemonicFaults(window);
    EXPECT_TRUE(mnemonics.isEmpty()) << Lines(mnemonics);
    const QStringList order = TabOrderFaults(window);
    EXPECT_TRUE(order.isEmpty()) << Lines(order);
    const QStringList shown = PictureFaults(window, pictures);
    EXPECT_TRUE(shown.isEmpty()) << Lines(shown);
  }
};

TEST_F(AccessibilityTest, MainWindowWithItsListsOpen) {
  Tfrmmain& w = Open();
  ExpectReadable(&w, {"PaintFrame", "PB"});
  w.btnreclistClick();
  ExpectReadable(&w);
  w.btnscheduleClick();
  ExpectReadable(&w);
}

TEST_F(AccessibilityTest, OptionsDialog) {
  Open();
  ExpectReadable(options.get());
}

TEST_F(AccessibilityTest, RecordingWizardInEveryMode) {
  Open();
  for (int mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(mode);
    NewWizard();
    ExpectReadable(&Start(mode));
  }
}

TEST_F(AccessibilityTest, AboutBoxAndTagEditor) {
  ExpectReadable(About().get());
  Tfrmtag tag(&tagLink, tagReaders, nullptr);
  ExpectReadable(&tag);
}

TEST_F(AccessibilityTest, TaskDialogs) {
  TNewTaskWizard wizard(*scheduler, WizardSources());
  ExpectReadable(&wizard);
  TTaskItem* task = Task();
  ASSERT_NE(task, nullptr);
  TPropsDlg props(*scheduler);
  props.LoadFromTask(task);
  ExpectReadable(&props);
  PropertySheetOptions sheetOptions;
  sheetOptions.pages = {TPageType::ptTask, TPageType::ptSchedule, TPageType::ptSettings};
  sheetOptions.caption = QStringLiteral("Morning Radio Show");
  TaskPropertySheet sheet(*task, sheetOptions);
  ExpectReadable(&sheet);
}

}  // namespace
