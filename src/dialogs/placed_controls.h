// Labels and lists placed by hand at a designed rectangle, for the windows
// laid out in pixels (the main window, the recording wizard).
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QRect>
#include <QStringList>

#include "services/named_control.h"

namespace placed {

inline QLabel* Label(QWidget* parent, const QString& text, const QRect& r, const char* name = nullptr) {
  auto* l = new QLabel(text, parent);
  if (name) l->setObjectName(QLatin1String(name));
  l->setGeometry(r);
  return l;
}

inline QComboBox* List(QWidget* parent, const char* name, const QStringList& items, int selected, const QRect& r) {
  auto* c = Named(new QComboBox(parent), name);
  c->addItems(items);
  c->setCurrentIndex(selected);
  c->setGeometry(r);
  return c;
}

}  // namespace placed
