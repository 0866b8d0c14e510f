#include "schedule/ui/wizard_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap WizardPicture(const QSize& size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(30, 60, 120));
  sky.setColorAt(1, QColor(90, 150, 210));
  p.fillRect(pixmap.rect(), sky);

  const qreal w = size.width();
  // The clock.
  const QPointF centre(w / 2, w / 2 + 10);
  const qreal r = w * 0.32;
  p.setPen(QPen(Qt::white, 3));
  p.setBrush(QColor(255, 255, 255, 40));
  p.drawEllipse(centre, r, r);
  for (int i = 0; i < 12; ++i) {
    p.save();
    p.translate(centre);
    p.rotate(i * 30);
    p.drawLine(QPointF(0, -r + 3), QPointF(0, -r + 9));
    p.restore();
  }
  p.drawLine(centre, centre + QPointF(0, -r * 0.7));
  p.drawLine(centre, centre + QPointF(r * 0.5, 0));

  // The microphone below it.
  const qreal top = centre.y() + r + 30;
  QPainterPath head;
  head.addRoundedRect(QRectF(w / 2 - 14, top, 28, 48), 14, 14);
  p.setBrush(QColor(230, 230, 240));
  p.drawPath(head);
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(w / 2 - 22, top + 16, 44, 44), 180 * 16, 180 * 16);
  p.drawLine(QPointF(w / 2, top + 60), QPointF(w / 2, top + 76));
  p.drawLine(QPointF(w / 2 - 14, top + 76), QPointF(w / 2 + 14, top + 76));
  return pixmap;
}
