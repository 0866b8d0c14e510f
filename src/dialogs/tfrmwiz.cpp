#include "dialogs/tfrmwiz.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "dialogs/font_scale.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/wizard_main_link.h"
#include "dialogs/wizard_picture.h"
#include "services/app_error.h"
#include "services/message_service.h"

Tfrmwiz::Tfrmwiz(WizardMainLink* link, Tfrmoption* options, QWidget* parent)
    : QDialog(parent), link_(link), options_(options) {
  setObjectName(QStringLiteral("frmwiz"));
  setWindowTitle(QStringLiteral("Zovedu Wizard"));
  setFont(PixelLayoutFont());
  BuildFrame();
  BuildStartPage();
  BuildSourcePage();
  BuildOutputPage();
  BuildFinishPage();
  BuildButtons();
  FitToFont();
  ConnectEvents();
  UpdateWizardButtons();
}

Tfrmwiz::~Tfrmwiz() = default;

void Tfrmwiz::BuildFrame() {
  setFixedSize(445, 292);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(4, 4, 52, 244);
  Image1->setPixmap(RecordingWizardPicture(Image1->size()));

  // The pages' tabs are hidden: only the buttons move between them.
  PageControl1 = new QStackedWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setGeometry(60, 4, 381, 244);
  const std::pair<QWidget**, const char*> pages[] = {
      {&tabstart, "tabstart"}, {&tabsource, "tabsource"}, {&tabout, "tabout"}, {&tabfin, "tabfin"}};
  for (const auto& [page, name] : pages) {
    *page = new QWidget;
    (*page)->setObjectName(QLatin1String(name));
    PageControl1->addWidget(*page);
  }
}

// Made after the pages, so that Tab reaches them after the page above them.
void Tfrmwiz::BuildButtons() {
  const struct {
    QPushButton** button;
    const char* name;
    const char* caption;
    int x;
  } buttons[] = {{&btnback, "btnback", "<&Back", 200},
                 {&btnnext, "btnnext", "&Next>", 281},
                 {&btncancel, "btncancel", "&Cancel", 364}};
  for (const auto& b : buttons) {
    *b.button = new QPushButton(QString::fromLatin1(b.caption), this);
    (*b.button)->setObjectName(QLatin1String(b.name));
    (*b.button)->setGeometry(b.x, 258, 75, 25);
    (*b.button)->setAutoDefault(false);
  }
  btnnext->setDefault(true);
}

void Tfrmwiz::FitToFont() {
  ScaleGeometry(this, FontScale(this));
  // The record modes' long captions widen the pages and the window.
  int extra = 0;
  for (QAbstractButton* item : rrecmodeItems->buttons())
    extra = std::max(extra, item->sizeHint().width() - item->width());
  if (extra > 0) {
    for (QAbstractButton* item : rrecmodeItems->buttons()) item->resize(item->width() + extra, item->height());
    for (QWidget* w : std::initializer_list<QWidget*>{rrecmode, PageControl1})
      w->resize(w->width() + extra, w->height());
    for (QPushButton* b : {btnback, btnnext, btncancel}) b->move(b->x() + extra, b->y());
    setFixedSize(width() + extra, height());
  }
  Image1->setPixmap(RecordingWizardPicture(Image1->size()));
}

void Tfrmwiz::UpdateWizardButtons() {
  const int page = PageControl1->currentIndex();
  btnback->setEnabled(page > 0);
  btnnext->setText(page == PageControl1->count() - 1 ? QStringLiteral("&Finish") : QStringLiteral("&Next>"));
}

void Tfrmwiz::NextPage() {
  const int page = PageControl1->currentIndex();
  if (page == PageControl1->count() - 1) {
    if (ApplyWizard()) accept();
    return;
  }
  PageControl1->setCurrentIndex(page + 1);
  QWidget* entered = PageControl1->currentWidget();
  if (entered == tabsource) {
    FillWizardDevices();
    FillWizardSources();
  } else if (entered == tabout) {
    FillWizardFormats();
    ApplyRecordMode();
  } else if (entered == tabfin) {
    BuildWizardSummary();
  }
  UpdateWizardButtons();
}

void Tfrmwiz::PreviousPage() {
  const int page = PageControl1->currentIndex();
  if (page > 0) PageControl1->setCurrentIndex(page - 1);
  UpdateWizardButtons();
}

bool Tfrmwiz::PrepareOpenFromMain() {
  try {
    eoutname->setText(options_->NextOutputName(true, 1));
  } catch (const EAppError& e) {
    ShowAppError(e.text());
    return false;
  }
  Tag = 0;
  if (link_->IsStayOnTop()) {
    link_->SetStayOnTop(false);
    Tag = 1;
  }
  FCaptureTouched = false;
  PageControl1->setCurrentIndex(0);
  UpdateWizardButtons();
  return true;
}

int Tfrmwiz::ShowModalFromMain() {
  if (!PrepareOpenFromMain()) return QDialog::Rejected;
  if (QWidget* main = parentWidget()) {
    QRect centred(QPoint(), size());
    centred.moveCenter(main->geometry().center());
    setGeometry(centred);
  }
  return exec();
}

void Tfrmwiz::done(int r) {
  QDialog::done(r);
  // Looking for a source opened other capture devices; without "Finish" the
  // main window records from its own choice again.
  if (r != QDialog::Accepted && FCaptureTouched) link_->ReopenChosenSource();
  FCaptureTouched = false;
  if (Tag == 1) link_->SetStayOnTop(true);
  Tag = 0;
}

void Tfrmwiz::ConnectEvents() {
  connect(btnnext, &QPushButton::clicked, this, [this] { NextPage(); });
  connect(btnback, &QPushButton::clicked, this, [this] { PreviousPage(); });
  connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(devicecom, &QComboBox::activated, this, [this] { devicecomChange(); });
  connect(sourcecom, &QComboBox::activated, this, [this] { sourcecomChange(); });
  connect(formatcom, &QComboBox::activated, this, [this] { formatcomChange(); });
  connect(barvol, &QSlider::valueChanged, this, [this] { barvolChange(); });
  connect(btnformat, &QPushButton::clicked, this, [this] { btnformatClick(); });
  connect(btndar, &QPushButton::clicked, this, [this] { btndarClick(); });
  connect(btncompressor, &QPushButton::clicked, this, [this] { btncompressorClick(); });
  connect(btnagc, &QPushButton::clicked, this, [this] { btnagcClick(); });
  // Each extra's "Settings" button is usable while the extra is checked.
  connect(cagc, &QCheckBox::toggled, btnagc, &QWidget::setEnabled);
  connect(cdar, &QCheckBox::toggled, btndar, &QWidget::setEnabled);
  connect(ccompressor, &QCheckBox::toggled, btncompressor, &QWidget::setEnabled);
}
