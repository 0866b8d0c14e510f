// A named list of icons (tray animation frames, list icons).
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

class TImageList : public QObject {
  Q_OBJECT
 public:
  explicit TImageList(QObject* parent = nullptr) : QObject(parent) {}
  void add(const QIcon& icon) { icons_.append(icon); }
  int count() const { return static_cast<int>(icons_.size()); }
  QIcon icon(int index) const { return icons_.value(index); }

 private:
  QList<QIcon> icons_;
};
