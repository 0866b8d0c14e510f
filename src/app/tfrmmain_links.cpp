// Help, "Stereo Mix" and about links, menus, centring and the output folder link.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "app/tfrmmain.h"
#include "app/tray/stay_above_x11.h"
#include "app/window_geometry.h"
#include "dialogs/tfrmabout.h"
#include "dialogs/tfrmoption.h"
#include "recording/recording_formats.h"
#include "services/desktop.h"
#include "services/paths.h"

const char* const kHelpPage = "https://www.zovedu.org/help/";
const char* const kStereoMixPage = "https://www.zovedu.org/help/stereo-mix.html";
const char* const kOfficialSite = "https://www.zovedu.org/";
const char* const kSupportAddress = "support@zovedu.org";

void Tfrmmain::Help1Click() { TheDesktop().open(QString::fromLatin1(kHelpPage)); }

void Tfrmmain::vistalabelClick() {
  TheDesktop().open(QString::fromLatin1(kStereoMixPage));
  // The sound settings on their recording page: a loopback source is chosen
  // there. Desktops without that mixer get their own sound settings.
  if (!TheDesktop().startProgram(QStringLiteral("pavucontrol"), {QStringLiteral("--tab=2")}))
    TheDesktop().startProgram(QStringLiteral("gnome-control-center"), {QStringLiteral("sound")});
}

void Tfrmmain::BtnAboutClick() {
  Tfrmabout about(QString::fromLatin1(kOfficialSite), QString::fromLatin1(kSupportAddress), this);
  about.move(geometry().center() - QPoint(about.width() / 2, about.height() / 2));
  about.exec();
}

void Tfrmmain::Exit1Click() { close(); }
void Tfrmmain::Exit2Click() { close(); }

void Tfrmmain::CentreOnMonitor() {
  QScreen* screen = this->screen();
  if (!screen) return;
  move(CentredOnMonitor(screen->geometry(), frameGeometry().size()));
}

bool Tfrmmain::IsStayOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void Tfrmmain::SetStayOnTop(bool onTop) {
  if (IsStayOnTop() == onTop) return;
  // New widget flags would re-create the native window, which then hides
  // and comes back moved. The existing window takes the flag and the window
  // manager is asked directly; the widget's flags only follow. Before the
  // native window exists, the widget's flags are what it is created with.
  if (QWindow* native = windowHandle()) {
    native->setFlag(Qt::WindowStaysOnTopHint, onTop);
    RequestStayAbove(native, onTop);
    overrideWindowFlags(onTop ? windowFlags() | Qt::WindowStaysOnTopHint : windowFlags() & ~Qt::WindowStaysOnTopHint);
  } else {
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  }
}

void Tfrmmain::UpdateFormatInfo() {
  const int i = cformat->currentIndex();
  if (i < 0 || i >= kFormatCount) return;
  lrname->setText(ReplaceExtension(lrname->text(), QLatin1Char('.') + cformat->currentText().toLower()));
  lformatinfo->setText(FormatInfoText(i));
}

void Tfrmmain::SetOutputFolder(const QString& folder) {
  FOutputFolder = folder;
  outlabel->setToolTip(QStringLiteral("output path:") + folder);
}

void Tfrmmain::outlabelClick() {
  if (!frmoption_) return;
  QString folder = TheDesktop().browseFolder(
      this, QStringLiteral("Please select folder which your recording file output"), frmoption_->Efolder->text());
  if (folder.isEmpty()) return;
  folder = WithTrailingBackslash(folder, true);
  frmoption_->Efolder->setText(folder);
  SetOutputFolder(frmoption_->Efolder->text());
}

void Tfrmmain::outlabelMouseDown(Qt::MouseButton button) {
  outlabel->setStyleSheet(QStringLiteral("color: navy; text-decoration: underline;"));
  if (button == Qt::MiddleButton && frmoption_) TheDesktop().open(frmoption_->Efolder->text());
}

void Tfrmmain::outlabelMouseUp() { outlabelMouseEnter(); }

void Tfrmmain::outlabelMouseEnter() {
  outlabel->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
}

void Tfrmmain::outlabelMouseLeave() {
  outlabel->setStyleSheet(QStringLiteral("color: maroon; text-decoration: underline;"));
}

bool Tfrmmain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PB && event->type() == QEvent::Paint) {
    QPainter(PB).drawImage(0, 0, FWaveBitmap);
    return true;
  }
  if (watched == PB && event->type() == QEvent::MouseButtonPress) {
    PBMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint().x());
    return true;
  }
  if (watched == PaintFrame && event->type() == QEvent::Paint) {
    QPainter(PaintFrame).drawImage(0, 0, FSpectrumFrame);
    return true;
  }
  if (watched == PaintFrame && event->type() == QEvent::MouseButtonRelease) {
    PaintFrameClick();
    return true;
  }
  if ((watched == Reclist || watched == tasklist) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
      OpenListMenuFromKeyboard(static_cast<QTreeWidget*>(watched));
      return true;
    }
  }
  if ((watched == vistalabel || watched == outlabel) && LinkKeyPressed(watched, event)) return true;
  if (watched == vistalabel) {
    if (event->type() == QEvent::Enter) vistalabel->setStyleSheet(QStringLiteral("color: navy; text-decoration: underline;"));
    if (event->type() == QEvent::Leave) vistalabel->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    if (event->type() == QEvent::MouseButtonRelease) vistalabelClick();
  } else if (watched == outlabel && outlabel->isEnabled()) {
    switch (event->type()) {
      case QEvent::Enter:
        outlabelMouseEnter();
        break;
      case QEvent::Leave:
        outlabelMouseLeave();
        break;
      case QEvent::MouseButtonPress:
        outlabelMouseDown(static_cast<QMouseEvent*>(event)->button());
        break;
      case QEvent::MouseButtonRelease:
        outlabelMouseUp();
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) outlabelClick();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Tfrmmain::ConnectEvents() {
  vistalabel->installEventFilter(this);
  outlabel->installEventFilter(this);
  PB->installEventFilter(this);
  PaintFrame->installEventFilter(this);
  connect(FFTTimer, &QTimer::timeout, this, [this] { FFTTimerTimer(); });
  connect(Reclist, &QTreeWidget::itemSelectionChanged, this, [this] { ReclistClick(); });
  connect(Reclist, &QTreeWidget::itemDoubleClicked, this, [this] { ReclistDblClick(); });
  connect(Reclist->header(), &QHeaderView::sectionClicked, this, [this](int column) { ReclistColumnClick(column); });
  connect(Reclist, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenu1Popup();
    PopupMenu1->popup(Reclist->viewport()->mapToGlobal(at));
  });
  connect(btnplay, &QPushButton::clicked, this, [this] { ReclistDblClick(); });
  connect(menuplay, &QAction::triggered, this, [this] { ReclistDblClick(); });
  connect(btndel, &QPushButton::clicked, this, [this] { menudelClick(); });
  connect(menudel, &QAction::triggered, this, [this] { menudelClick(); });
  connect(menuclear, &QAction::triggered, this, [this] { menuclearClick(); });
  connect(menucopy, &QAction::triggered, this, [this] { menucopyClick(); });
  connect(btngoto, &QPushButton::clicked, this, [this] { menugotoClick(); });
  connect(menugoto, &QAction::triggered, this, [this] { menugotoClick(); });
  connect(btntagedit, &QPushButton::clicked, this, [this] { menutagClick(); });
  connect(menutag, &QAction::triggered, this, [this] { menutagClick(); });
  connect(menumail, &QAction::triggered, this, [this] { menumailClick(); });
  connect(Editaudio1, &QAction::triggered, this, [this] { Editaudio1Click(); });
  connect(SoundEditor1, &QAction::triggered, this, [this] { SoundEditor1Click(); });
  connect(btnrec, &QPushButton::clicked, this, [this] { btnrecClick(); });
  connect(Record1, &QAction::triggered, this, [this] { btnrecClick(); });
  connect(btnpause, &QPushButton::clicked, this, [this] { btnpauseClick(); });
  connect(Pause1, &QAction::triggered, this, [this] { btnpauseClick(); });
  connect(btnstop, &QPushButton::clicked, this, [this] { btnstopClick(); });
  connect(Stop1, &QAction::triggered, this, [this] { btnstopClick(); });
  connect(Rectimer, &QTimer::timeout, this, [this] { RectimerTimer(); });
  connect(cdar, &QCheckBox::clicked, this, [this] { cdarClick(); });
  connect(Rslist, &QComboBox::activated, this, [this] { RslistChange(); });
  connect(Cvolume, &QSlider::valueChanged, this, [this] { CvolumeChange(); });
  connect(csample, &QComboBox::currentIndexChanged, this, [this] { csampleChange(); });
  connect(cchannel, &QComboBox::currentIndexChanged, this, [this] { cchannelChange(); });
  connect(cbit, &QComboBox::currentIndexChanged, this, [this] { cbitChange(); });
  connect(cformat, &QComboBox::currentIndexChanged, this, [this] { cformatChange(); });
  connect(btnsourcerefresh, &QPushButton::clicked, this, [this] { btnsourcerefreshClick(); });
  connect(btnhelp, &QPushButton::clicked, this, [this] { Help1Click(); });
  connect(Help1, &QAction::triggered, this, [this] { Help1Click(); });
  connect(Help2, &QAction::triggered, this, [this] { Help1Click(); });
  connect(BtnAbout, &QPushButton::clicked, this, [this] { BtnAboutClick(); });
  connect(About1, &QAction::triggered, this, [this] { BtnAboutClick(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  connect(Exit2, &QAction::triggered, this, [this] { Exit2Click(); });
  ConnectTray();
  connect(btnoption, &QPushButton::clicked, this, [this] {
    if (frmoption_) frmoption_->ShowModalFromMain();
  });
  connect(Settings1, &QAction::triggered, btnoption, &QPushButton::click);
  connect(btnwiz, &QPushButton::clicked, this, [this] { btnwizClick(); });
  connect(Wizard1, &QAction::triggered, this, [this] { btnwizClick(); });
  connect(btnreclist, &QPushButton::clicked, this, [this] { btnreclistClick(); });
  connect(RecordsList1, &QAction::triggered, this, [this] { btnreclistClick(); });
  connect(btnschedule, &QPushButton::clicked, this, [this] {
    btnscheduleClick();
    TaskPanelOpened();
  });
  connect(btnaddtask, &QPushButton::clicked, this, [this] { Add1Click(); });
  connect(btnedittask, &QPushButton::clicked, this, [this] { Properties1Click(); });
  connect(btndeltask, &QPushButton::clicked, this, [this] { DeleteTask1Click(); });
  connect(btnruntask, &QPushButton::clicked, this, [this] { RunTask1Click(); });
  connect(tasklist, &QTreeWidget::itemClicked, this, [this] { tasklistClick(); });
  connect(tasklist, &QTreeWidget::itemDoubleClicked, this, [this] { Properties1Click(); });
  connect(tasklist, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu2->popup(tasklist->viewport()->mapToGlobal(at)); });
  connect(Add1, &QAction::triggered, this, [this] { Add1Click(); });
  connect(DeleteTask1, &QAction::triggered, this, [this] { DeleteTask1Click(); });
  connect(RunTask1, &QAction::triggered, this, [this] { RunTask1Click(); });
  connect(Disable1, &QAction::triggered, this, [this] { Disable1Click(); });
  connect(Refresh1, &QAction::triggered, this, [this] { Refresh1Click(); });
  connect(Properties1, &QAction::triggered, this, [this] { Properties1Click(); });
  connect(Scheduler1, &QAction::triggered, this, [this] {
    btnscheduleClick();
    TaskPanelOpened();
  });
}
