#include "services/accessible_names.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace accessible {
namespace {

// The caption as it is spoken: without its mnemonic mark and closing colon.
QString Spoken(QString caption) {
  // "&&" is a literal ampersand; a single one marks the mnemonic.
  for (qsizetype i = 0; i < caption.size(); ++i)
    if (caption[i] == QLatin1Char('&')) caption.remove(i, 1);
  caption = caption.trimmed();
  // "Device:" is read as "Device".
  if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
  return caption.trimmed();
}

// A combo box read by its name (its own, or its caption's) with its current
// entry as its value; the stock interface reads the entry as the name too.
class ComboBoxInterface : public QAccessibleWidget {
 public:
  explicit ComboBoxInterface(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return box()->currentText();
    const QString s = QAccessibleWidget::text(t);
    return t == QAccessible::Name && s.isEmpty() ? box()->currentText() : s;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = box()->view()->isVisible();
    s.editable = box()->isEditable();
    return s;
  }
  // The list that opens, and the text field of an editable box.
  int childCount() const override { return box()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->isEditable()) return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == box()->view()) return 0;
    if (box()->isEditable() && child->object() == box()->lineEdit()) return 1;
    return -1;
  }
  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (box()->view()->isVisible())
      box()->hidePopup();
    else
      box()->showPopup();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* box() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
    return new ComboBoxInterface(static_cast<QComboBox*>(object));
  return nullptr;
}

}  // namespace

void InstallInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

void NameFromHint(QAbstractButton* button) { button->setAccessibleName(button->toolTip()); }

void Name(QWidget* control, const QString& caption, const QString& description) {
  if (qobject_cast<QComboBox*>(control)) InstallInterfaces();
  control->setAccessibleName(Spoken(caption));
  if (!description.isEmpty()) control->setAccessibleDescription(description);
}

void Caption(QLabel* label, QWidget* control) {
  label->setBuddy(control);
  Name(control, label->text());
}

void SetTextAlternative(QWidget* picture, const QString& text) {
  if (picture->accessibleDescription() != text) picture->setAccessibleDescription(text);
}

}  // namespace accessible
