// The picture the display shows while nothing records or plays, and the
// spectrum's background: drawn by the program, no artwork file needed.
#pragma once

#include <QImage>
#include <QSize>

QImage IdlePicture(const QSize& size);
