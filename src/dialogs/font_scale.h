// Windows laid out in pixels for the program's 11-pixel font keep those sizes
// at that font and grow in proportion at a larger one.
#pragma once

#include <QFont>
#include <QRect>

class QWidget;

// The font for a window laid out in pixels: the application's font when it is
// given in pixels (the program sets an 11-pixel one; a larger one makes the
// windows grow), else the 11-pixel base font.
QFont PixelLayoutFont();

// How much larger the widget's font is than the 11-pixel base font of the
// same family; 1 when it is not larger.
double FontScale(const QWidget* w);

int Scaled(int pixels, double scale);
// The rectangle with both edges scaled, so that neighbours stay flush.
QRect Scaled(const QRect& r, double scale);

// Scales the fixed size of window and the geometry of every control placed
// by hand inside it (controls placed by layouts are left to the layouts).
void ScaleGeometry(QWidget* window, double scale);
