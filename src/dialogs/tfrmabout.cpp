#include "dialogs/tfrmabout.h"

#include <QKeyEvent>
#include <QStyle>

#include "dialogs/font_scale.h"
#include "services/accessible_names.h"
#include "services/desktop.h"

namespace {
QLabel* LinkLabel(QWidget* parent, const char* name, const QString& text, const QRect& r) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setGeometry(r);
  l->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  l->setCursor(Qt::PointingHandCursor);
  return l;
}

// Makes a label open a target when clicked, or when Enter or Space is
// pressed while it has the keyboard focus (Tab reaches it).
class ClickOpener : public QObject {
 public:
  ClickOpener(QLabel* label, QString target) : QObject(label), target_(std::move(target)) {
    label->setFocusPolicy(Qt::TabFocus);
    label->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease) TheDesktop().open(target_);
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        TheDesktop().open(target_);
        return true;
      }
    }
    return false;
  }

 private:
  QString target_;
};
}  // namespace

Tfrmabout::Tfrmabout(const QString& site, const QString& supportAddress, QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmabout"));
  setWindowTitle(QStringLiteral("About..."));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFont(PixelLayoutFont());
  const double scale = FontScale(this);
  setFixedSize(360, 150);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, 90, 150);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(64, 64));
  Image1->setAlignment(Qt::AlignCenter);
  lproduct = new QLabel(QStringLiteral("Zovedu"), this);
  lproduct->setObjectName(QStringLiteral("lproduct"));
  QFont f = lproduct->font();
  f.setBold(true);
  f.setItalic(true);
  f.setPixelSize(Scaled(20, scale));
  lproduct->setFont(f);
  lproduct->setGeometry(100, 10, 250, 30);
  auto* siteCaption = new QLabel(QStringLiteral("Official Site:"), this);
  siteCaption->setGeometry(100, 50, 80, 18);
  lsite = LinkLabel(this, "lsite", site, QRect(180, 50, 170, 18));
  new ClickOpener(lsite, site);
  accessible::Name(lsite, siteCaption->text(), QStringLiteral("Opens ") + site);
  auto* supportCaption = new QLabel(QStringLiteral("Support:"), this);
  supportCaption->setGeometry(100, 74, 80, 18);
  lsupport = LinkLabel(this, "lsupport", supportAddress, QRect(180, 74, 170, 18));
  new ClickOpener(lsupport, QStringLiteral("mailto:") + supportAddress);
  accessible::Name(lsupport, supportCaption->text(), QStringLiteral("Writes to ") + supportAddress);
  btnok = new QPushButton(QStringLiteral("&Ok"), this);
  btnok->setObjectName(QStringLiteral("btnok"));
  btnok->setGeometry(270, 112, 75, 25);
  btnok->setDefault(true);
  connect(btnok, &QPushButton::clicked, this, &QDialog::accept);
  ScaleGeometry(this, scale);
}
