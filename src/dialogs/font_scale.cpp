#include "dialogs/font_scale.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <QStackedWidget>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kBasePixels = 11;

bool LayoutHolds(const QLayout* layout, const QWidget* w) {
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == w) return true;
    if (item->layout() && LayoutHolds(item->layout(), w)) return true;
  }
  return false;
}

// Plain containers hold hand-placed controls; the parts of composite controls
// (scroll bars, line edits of spin boxes, ...) are placed by their owners.
bool IsContainer(const QWidget* w) {
  const QMetaObject* m = w->metaObject();
  return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject || qobject_cast<const QGroupBox*>(w) ||
         qobject_cast<const QStackedWidget*>(w);
}

void ScaleChildren(QWidget* parent, double scale) {
  for (QObject* o : parent->children()) {
    auto* child = qobject_cast<QWidget*>(o);
    if (!child || child->isWindow()) continue;
    const bool placedByLayout =
        qobject_cast<QStackedWidget*>(parent) || (parent->layout() && LayoutHolds(parent->layout(), child));
    if (!placedByLayout) child->setGeometry(Scaled(child->geometry(), scale));
    if (IsContainer(child) || qobject_cast<QStackedWidget*>(parent)) ScaleChildren(child, scale);
  }
}

}  // namespace

QFont PixelLayoutFont() {
  QFont font = QApplication::font();
  if (font.pixelSize() > 0) return font;
  font = QFont(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(kBasePixels);
  return font;
}

double FontScale(const QWidget* w) {
  const QFont font = w->font();
  QFont base = font;
  base.setPixelSize(kBasePixels);
  const QFontMetricsF now(font), was(base);
  const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789");
  const double scale =
      std::max(now.height() / was.height(), now.horizontalAdvance(sample) / was.horizontalAdvance(sample));
  return std::max(1.0, scale);
}

int Scaled(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

QRect Scaled(const QRect& r, double scale) {
  const int left = Scaled(r.x(), scale), top = Scaled(r.y(), scale);
  return QRect(left, top, Scaled(r.x() + r.width(), scale) - left, Scaled(r.y() + r.height(), scale) - top);
}

void ScaleGeometry(QWidget* window, double scale) {
  if (scale == 1.0) return;
  if (window->minimumSize() == window->maximumSize())
    window->setFixedSize(Scaled(window->width(), scale), Scaled(window->height(), scale));
  else
    window->resize(Scaled(window->width(), scale), Scaled(window->height(), scale));
  ScaleChildren(window, scale);
}
