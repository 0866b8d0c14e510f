#include "app/window_geometry.h"

QPoint CentredOnMonitor(const QRect& monitor, const QSize& window) {
  return {monitor.left() + (monitor.width() - window.width()) / 2,
          monitor.top() + (monitor.height() - window.height()) / 2};
}

QString ReplaceExtension(const QString& name, const QString& extension) {
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  const int slash = name.lastIndexOf(QLatin1Char('/'));
  return (dot > slash ? name.left(dot) : name) + extension;
}
