#include "dialogs/up_down.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFixedSize(16, 11);
    layout->addWidget(b);
  }
  setArrowNames(QString());
  connect(up_, &QToolButton::clicked, this, [this] { step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void TUpDown::setBuddy(QLineEdit* buddy) {
  buddy_ = buddy;
  if (buddy_) buddy_->setText(QString::number(pos_));
}

void TUpDown::setArrowNames(const QString& what) {
  up_->setAccessibleName((QStringLiteral("Increase ") + what).trimmed());
  down_->setAccessibleName((QStringLiteral("Decrease ") + what).trimmed());
}

void TUpDown::setRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  pos_ = std::clamp(pos_, min_, max_);
}

int TUpDown::position() const {
  if (buddy_) {
    bool ok = false;
    const qlonglong n = buddy_->text().trimmed().toLongLong(&ok);
    if (ok) return int(std::clamp<qlonglong>(n, min_, max_));
  }
  return pos_;
}

void TUpDown::setPosition(int value) {
  pos_ = std::clamp(value, min_, max_);
  if (buddy_) buddy_->setText(QString::number(pos_));
  emit positionChanged(pos_);
}

void TUpDown::step(int delta) { setPosition(position() + delta); }
