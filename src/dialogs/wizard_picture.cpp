#include "dialogs/wizard_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

QPixmap RecordingWizardPicture(const QSize& size) {
  QPixmap pixmap(size);
  const qreal w = size.width(), h = size.height();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(24, 54, 112));
  sky.setColorAt(1, QColor(8, 18, 44));
  p.fillRect(QRectF(0, 0, w, h), sky);

  // Level bars along the bottom, highest in the middle.
  const int bars = 9;
  const qreal barWidth = w / (bars * 1.6);
  for (int i = 0; i < bars; ++i) {
    const qreal x = barWidth * 0.3 + i * barWidth * 1.6;
    const qreal level = 0.25 + 0.7 * std::sin(3.14159 * (i + 0.5) / bars);
    const qreal top = h - h * 0.28 * level;
    QLinearGradient g(0, h, 0, h - h * 0.28);
    g.setColorAt(0, QColor(40, 200, 90));
    g.setColorAt(0.7, QColor(230, 210, 40));
    g.setColorAt(1, QColor(230, 60, 40));
    p.fillRect(QRectF(x, top, barWidth, h - top - 4), g);
  }

  // A wave through the middle.
  QPainterPath wave;
  const qreal mid = h * 0.55;
  wave.moveTo(0, mid);
  for (int x = 0; x <= int(w); ++x)
    wave.lineTo(x, mid + std::sin(x / 6.0) * h * 0.035 * std::sin(3.14159 * x / w));
  p.setPen(QPen(QColor(120, 200, 255), 1.5));
  p.drawPath(wave);

  // The microphone: head, grille, holder and stand.
  const qreal cx = w / 2, headW = w * 0.34, headH = h * 0.22, headTop = h * 0.12;
  const QRectF head(cx - headW / 2, headTop, headW, headH);
  QLinearGradient metal(head.left(), 0, head.right(), 0);
  metal.setColorAt(0, QColor(150, 150, 160));
  metal.setColorAt(0.45, QColor(235, 235, 240));
  metal.setColorAt(1, QColor(110, 110, 120));
  p.setPen(QPen(QColor(60, 60, 70), 1));
  p.setBrush(metal);
  p.drawRoundedRect(head, headW / 2, headW / 2);
  p.setPen(QPen(QColor(90, 90, 100), 1));
  for (int i = 1; i < 5; ++i) {
    const qreal y = head.top() + head.height() * i / 5.0;
    p.drawLine(QPointF(head.left() + 4, y), QPointF(head.right() - 4, y));
  }
  p.setPen(QPen(QColor(200, 200, 210), 2));
  p.setBrush(Qt::NoBrush);
  const QRectF holder(cx - headW * 0.75, headTop + headH * 0.45, headW * 1.5, headH * 0.9);
  p.drawArc(holder, 180 * 16, 180 * 16);
  const qreal stemTop = holder.bottom();
  p.drawLine(QPointF(cx, stemTop), QPointF(cx, stemTop + h * 0.07));
  p.drawLine(QPointF(cx - headW * 0.45, stemTop + h * 0.07), QPointF(cx + headW * 0.45, stemTop + h * 0.07));
  return pixmap;
}
