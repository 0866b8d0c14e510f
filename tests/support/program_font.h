// The program's font (an 11-pixel Tahoma or the desktop's sans serif in its
// place) at a chosen pixel size, set for the whole application while in scope.
#pragma once

#include <QApplication>
#include <QFont>

namespace zovedu_test {

inline QFont ProgramFont(int pixelSize) {
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
}

class ScopedProgramFont {
 public:
  explicit ScopedProgramFont(int pixelSize) : saved_(QApplication::font()) {
    QApplication::setFont(ProgramFont(pixelSize));
  }
  ~ScopedProgramFont() { QApplication::setFont(saved_); }
  ScopedProgramFont(const ScopedProgramFont&) = delete;
  ScopedProgramFont& operator=(const ScopedProgramFont&) = delete;

 private:
  QFont saved_;
};

// The base size and 1.25 times it, rounded up to whole pixels.
constexpr int kBasePixels = 11;
constexpr int kLargePixels = 14;

}  // namespace zovedu_test
