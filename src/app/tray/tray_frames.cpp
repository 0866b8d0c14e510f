#include "app/tray/tray_frames.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace {
// Each picture at the sizes trays ask for most, drawn for each size.
const std::array<int, 3> kSizes{16, 24, 32};

template <typename Draw>
QIcon Drawn(Draw draw) {
  QIcon icon;
  for (int size : kSizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);  // drawn on a 32 x 32 grid
    draw(p);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

void Microphone(QPainter& p, const QColor& body) {
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(11, 3, 10, 17), 5, 5);
  QPen stand(body, 2.5);
  stand.setCapStyle(Qt::RoundCap);
  p.setPen(stand);
  p.setBrush(Qt::NoBrush);
  QPainterPath cup;
  cup.moveTo(7, 14);
  cup.cubicTo(7, 26, 25, 26, 25, 14);
  p.drawPath(cup);
  p.drawLine(QPointF(16, 23), QPointF(16, 28));
  p.drawLine(QPointF(11, 28.5), QPointF(21, 28.5));
}
}  // namespace

QIcon IdleTrayIcon() {
  return Drawn([](QPainter& p) { Microphone(p, QColor(70, 80, 95)); });
}

QList<QIcon> RecordingTrayFrames() {
  QList<QIcon> frames;
  // One pulse over the frames: the dot swells and fades back, the bar rises
  // and falls a step behind.
  static const std::array<double, kRecordingFrameCount> pulse{0.55, 0.75, 1.0, 0.85, 0.65, 0.45};
  static const std::array<int, kRecordingFrameCount> bar{2, 3, 4, 5, 4, 3};
  for (int i = 0; i < kRecordingFrameCount; ++i) {
    frames.append(Drawn([i](QPainter& p) {
      const double r = 4.0 + 7.0 * pulse[size_t(i)];
      QRadialGradient glow(QPointF(12, 16), r);
      glow.setColorAt(0, QColor(255, 90, 80));
      glow.setColorAt(1, QColor(190, 0, 0));
      p.setPen(QPen(QColor(110, 0, 0), 1));
      p.setBrush(glow);
      p.drawEllipse(QPointF(12, 16), r, r);
      // The level bar: five segments, green to yellow to red at the top.
      p.setPen(Qt::NoPen);
      for (int s = 0; s < 5; ++s) {
        const QColor lit = s < 3 ? QColor(40, 200, 60) : s < 4 ? QColor(240, 200, 0) : QColor(230, 40, 30);
        p.setBrush(s < bar[size_t(i)] ? lit : QColor(80, 80, 80, 140));
        p.drawRect(QRectF(25, 26 - s * 5.5, 6, 4.5));
      }
    }));
  }
  return frames;
}
