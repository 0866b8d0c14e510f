// Plain geometry and text helpers of the main window.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Top-left corner that centres a window of the given size on a monitor;
// halves truncate toward zero.
QPoint CentredOnMonitor(const QRect& monitor, const QSize& window);

// The name with its extension replaced (or added when it has none).
QString ReplaceExtension(const QString& name, const QString& extension);
