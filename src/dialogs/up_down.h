// A small up-down control bound to an edit field: the arrows step the number
// in the edit, and the position is the edit's number kept inside the range.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
  Q_OBJECT
 public:
  explicit TUpDown(QWidget* parent = nullptr);

  void setBuddy(QLineEdit* buddy);  // the edit shows the position
  // What a screen reader calls the arrows: "Increase <what>", "Decrease <what>".
  void setArrowNames(const QString& what);
  void setRange(int min, int max);
  int minimum() const { return min_; }
  int maximum() const { return max_; }

  // The number in the buddy edit inside the range; the last position set when
  // the edit holds no number.
  int position() const;
  // Clamps to the range and writes the number into the buddy edit.
  void setPosition(int value);

 signals:
  void positionChanged(int position);

 private:
  void step(int delta);

  QLineEdit* buddy_ = nullptr;
  QToolButton* up_ = nullptr;
  QToolButton* down_ = nullptr;
  int min_ = 0, max_ = 100, pos_ = 0;
};
