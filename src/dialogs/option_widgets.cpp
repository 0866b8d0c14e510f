#include "dialogs/option_widgets.h"

#include <QAbstractItemView>
#include <QStyle>

namespace optionui {

QCheckBox* Check(const char* name, const QString& text, bool checked) {
  auto* w = new QCheckBox(text);
  w->setObjectName(QLatin1String(name));
  w->setChecked(checked);
  return w;
}

QRadioButton* Radio(const char* name, const QString& text, bool checked) {
  auto* w = new QRadioButton(text);
  w->setObjectName(QLatin1String(name));
  w->setChecked(checked);
  return w;
}

QSlider* Slider(const char* name, int min, int max, int position) {
  auto* w = new QSlider(Qt::Horizontal);
  w->setObjectName(QLatin1String(name));
  w->setRange(min, max);
  w->setValue(position);
  return w;
}

QComboBox* Combo(const char* name, const QStringList& items, int index) {
  auto* w = new QComboBox;
  w->setObjectName(QLatin1String(name));
  w->addItems(items);
  w->setCurrentIndex(index);
  return w;
}

void FitListToItems(QComboBox* combo) {
  QAbstractItemView* view = combo->view();
  view->ensurePolished();
  int width = view->sizeHintForColumn(0) + 2 * view->frameWidth();
  if (combo->count() > combo->maxVisibleItems())
    width += view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
  view->setMinimumWidth(width);
}

QLabel* Label(const char* name, const QString& text) {
  auto* w = new QLabel(text);
  w->setObjectName(QLatin1String(name));
  return w;
}

QLabel* Text(const QString& text) { return new QLabel(text); }

QLineEdit* Edit(const char* name, const QString& text) {
  auto* w = new QLineEdit(text);
  w->setObjectName(QLatin1String(name));
  return w;
}

QVBoxLayout* Column(QWidget* owner) {
  auto* l = new QVBoxLayout(owner);
  l->setContentsMargins(4, 4, 4, 4);
  l->setSpacing(2);
  return l;
}

QGridLayout* Grid(QWidget* owner) {
  auto* l = new QGridLayout(owner);
  l->setContentsMargins(4, 4, 4, 4);
  l->setHorizontalSpacing(4);
  l->setVerticalSpacing(2);
  return l;
}

QGroupBox* Group(const QString& title) { return new QGroupBox(title); }

QLabel* Red(QLabel* label) {
  label->setStyleSheet(QStringLiteral("color: red;"));
  return label;
}

}  // namespace optionui
