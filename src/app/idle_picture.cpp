#include "app/idle_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

QImage IdlePicture(const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(8, 20, 40));
  sky.setColorAt(1, QColor(0, 0, 0));
  p.fillRect(image.rect(), sky);

  // A faint grid, like a scope's.
  p.setPen(QColor(20, 45, 70));
  for (int x = 0; x < size.width(); x += 20) p.drawLine(x, 0, x, size.height());
  for (int y = 0; y < size.height(); y += 20) p.drawLine(0, y, size.width(), y);

  // A decaying wave across the middle.
  QPainterPath wave;
  const double mid = size.height() / 2.0;
  for (int x = 0; x <= size.width(); ++x) {
    const double t = static_cast<double>(x) / size.width();
    const double y = mid - std::sin(t * 6 * std::numbers::pi) * (size.height() * 0.3) * std::exp(-2.5 * t);
    if (x == 0)
      wave.moveTo(x, y);
    else
      wave.lineTo(x, y);
  }
  p.setPen(QPen(QColor(187, 213, 43), 2));
  p.drawPath(wave);
  return image;
}
