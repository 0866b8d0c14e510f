// The about box: picture, product name, site link, support mail link, Ok.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

class Tfrmabout : public QDialog {
  Q_OBJECT
 public:
  Tfrmabout(const QString& site, const QString& supportAddress, QWidget* owner);

  QLabel *Image1, *lproduct, *lsite, *lsupport;
  QPushButton* btnok;
};
