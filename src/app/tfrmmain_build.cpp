// Builds the main window's controls and menus as designed.
#include <QFont>
#include <QHeaderView>
#include <QMenu>
#include <utility>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <vector>

#include "app/image_list.h"
#include "app/tfrmmain.h"
#include "dialogs/font_scale.h"
#include "dialogs/placed_controls.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint, int x) {
  auto* b = Named(new QPushButton(QString::fromLatin1(caption), parent), name);
  if (hint) b->setToolTip(QString::fromLatin1(hint));
  b->setGeometry(x, 273, 56, 25);
  return b;
}

// Shares the row's width among the buttons: each gets its caption's width
// and an equal part of what is left. A row that cannot hold the captions
// grows past its width, and the window with it.
void PlaceButtonRow(const std::vector<QPushButton*>& buttons, double scale) {
  constexpr int kLeft = 6, kRowWidth = 520, kGap = 2, kTop = 273, kHeight = 25;
  QWidget* window = buttons.front()->window();
  QStyleOptionButton opt;
  opt.initFrom(buttons.front());
  opt.rect = QRect(0, 0, 100, Scaled(kHeight, scale));
  const QStyle* style = buttons.front()->style();
  // The frame inside the button, the margin kept clear around the caption
  // and a pixel each side.
  const QRect contents = style->subElementRect(QStyle::SE_PushButtonContents, &opt, buttons.front());
  const int padding =
      opt.rect.width() - contents.width() + style->pixelMetric(QStyle::PM_ButtonMargin, &opt, buttons.front()) + 2;
  std::vector<int> widths;
  int captions = 0;
  for (QPushButton* b : buttons) {
    widths.push_back(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&'))) + padding);
    captions += widths.back();
  }
  const int n = static_cast<int>(buttons.size());
  const int gaps = (n - 1) * kGap;
  const int spare = std::max(0, Scaled(kRowWidth, scale) - gaps - captions);
  int x = Scaled(kLeft, scale);
  for (int i = 0; i < n; ++i) {
    const int w = widths[static_cast<size_t>(i)] + spare / n + (i < spare % n ? 1 : 0);
    buttons[static_cast<size_t>(i)]->setGeometry(x, Scaled(kTop, scale), w, Scaled(kHeight, scale));
    x += w + kGap;
  }
  const int needed = x - kGap + Scaled(530 - kLeft - kRowWidth, scale);
  if (needed > window->width()) window->setFixedSize(needed, window->height());
}

// Columns of the designed widths (grown with the font) that widen when an
// entry's text needs more.
void WidenColumnsForItems(QTreeWidget* tree, const std::vector<int>& widths) {
  const auto fit = [tree, widths] {
    const double scale = FontScale(tree);
    QAbstractItemView* view = tree;  // the measure is public here
    for (int column = 0; column < static_cast<int>(widths.size()); ++column)
      tree->setColumnWidth(column, std::max(Scaled(widths[static_cast<size_t>(column)], scale),
                                            view->sizeHintForColumn(column)));
  };
  fit();
  // Not on a reset: the model resets while the view is being destroyed.
  QObject::connect(tree->model(), &QAbstractItemModel::rowsInserted, tree, fit);
  QObject::connect(tree->model(), &QAbstractItemModel::dataChanged, tree, fit);
}

using placed::Label;
using placed::List;

QAction* Item(QMenu* menu, const char* name, const char* caption) {
  return Named(menu->addAction(QString::fromLatin1(caption)), name);
}

}  // namespace

void Tfrmmain::BuildControls() {
  setObjectName(QStringLiteral("frmmain"));
  setWindowTitle(QStringLiteral("Zovedu"));
  setFont(PixelLayoutFont());
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);

  // Button row.
  int x = 6;
  btnrec = Button(this, "btnrec", "Record", "Start Recording", x);
  btnrec->setDefault(true);
  btnpause = Button(this, "btnpause", "Pause", "Pause/Resume Recording", x += 58);
  btnstop = Button(this, "btnstop", "Stop", "Stop Recording", x += 58);
  btnoption = Button(this, "btnoption", "Options", "Program Settings", x += 58);
  btnwiz = Button(this, "btnwiz", "Wizard", "Start Recording Wizard ", x += 58);
  btnreclist = Button(this, "btnreclist", "Rec List", "Open/Hide Records List", x += 58);
  btnschedule = Button(this, "btnschedule", "Scheduler", "Open/Hide Scheduler List", x += 58);
  btnhelp = Button(this, "btnhelp", "Help", nullptr, x += 58);
  BtnAbout = Button(this, "BtnAbout", "About", "About Zovedu", x += 58);

  // Record Source.
  grecsource = Named(new QGroupBox(QStringLiteral("Record Source"), this), "grecsource");
  grecsource->setGeometry(6, 4, 192, 124);
  Rslist = List(grecsource, "Rslist", {}, -1, QRect(8, 18, 176, 22));
  Cvolume = Named(new QSlider(Qt::Horizontal, grecsource), "Cvolume");
  Cvolume->setRange(0, 100);
  Cvolume->setGeometry(8, 46, 122, 22);
  lvol = Label(grecsource, QStringLiteral("Vol:0"), QRect(134, 46, 50, 22), "lvol");
  vistalabel = Label(grecsource, QStringLiteral("Not find \"Stereo Mix\"?"), QRect(8, 74, 176, 16),
                     "vistalabel");
  vistalabel->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  vistalabel->setCursor(Qt::PointingHandCursor);
  infodevice = Label(grecsource, QString(), QRect(8, 96, 110, 20), "infodevice");
  infodevice->setStyleSheet(QStringLiteral("color: green;"));
  btnsourcerefresh = Named(new QPushButton(QStringLiteral("Refresh"), grecsource), "btnsourcerefresh");
  btnsourcerefresh->setGeometry(122, 94, 62, 24);

  // Record Settings.
  grecsettings = Named(new QGroupBox(QStringLiteral("Record Settings"), this), "grecsettings");
  grecsettings->setGeometry(6, 132, 192, 136);
  // The style draws the frame below the title; the rows start clear of it.
  cchannel = List(grecsettings, "cchannel", {QStringLiteral("Mono"), QStringLiteral("Stereo")}, 1,
                  QRect(8, 24, 84, 22));
  csample = List(grecsettings, "csample",
                 {QStringLiteral("8000Hz"), QStringLiteral("11025Hz"), QStringLiteral("16000Hz"),
                  QStringLiteral("22050Hz"), QStringLiteral("32000Hz"), QStringLiteral("44100Hz"),
                  QStringLiteral("48000Hz"), QStringLiteral("96000Hz"), QStringLiteral("192000Hz")},
                 5, QRect(100, 24, 84, 22));
  cbit = List(grecsettings, "cbit",
              {QStringLiteral("8 bit"), QStringLiteral("16 bit"), QStringLiteral("24 bit"),
               QStringLiteral("32 bit")},
              1, QRect(8, 52, 84, 22));
  cformat = List(grecsettings, "cformat",
                 {QStringLiteral("WAV"), QStringLiteral("MP3"), QStringLiteral("WMA"), QStringLiteral("OGG"),
                  QStringLiteral("APE"), QStringLiteral("FLAC"), QStringLiteral("TTA"), QStringLiteral("WV"),
                  QStringLiteral("AAC"), QStringLiteral("MPC"), QStringLiteral("SPX")},
                 0, QRect(100, 52, 84, 22));
  cdar = Named(new QCheckBox(QStringLiteral("Use DAR TM mode"), grecsettings), "cdar");
  cdar->setGeometry(8, 80, 176, 20);

  // Information panel.
  auto* info = Named(new QWidget(this), "infopanel");
  info->setGeometry(204, 4, 320, 114);
  Label(info, QStringLiteral("File Name:"), QRect(4, 4, 70, 18));
  lrname = Label(info, QStringLiteral("Rectest-01.wav"), QRect(76, 4, 122, 18), "lrname");
  outlabel = Label(info, QStringLiteral("Set Output Folder"), QRect(200, 4, 118, 18), "outlabel");
  outlabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  outlabel->setStyleSheet(QStringLiteral("color: maroon; text-decoration: underline;"));
  outlabel->setCursor(Qt::PointingHandCursor);
  Label(info, QStringLiteral("File Length:"), QRect(4, 24, 70, 18));
  lrlength = Label(info, QStringLiteral("00:00:00"), QRect(76, 24, 240, 18), "lrlength");
  Label(info, QStringLiteral("File Size:"), QRect(4, 44, 70, 18));
  lrsize = Label(info, QStringLiteral("0 Bytes"), QRect(76, 44, 240, 18), "lrsize");
  // The status line of a recording with a silence action and a split runs
  // over two lines.
  auto* statusCaption = Label(info, QStringLiteral("Status:"), QRect(4, 64, 70, 32));
  lrstatus = Label(info, QStringLiteral("Idle..."), QRect(76, 64, 240, 32), "lrstatus");
  lrstatus->setWordWrap(true);
  for (QLabel* l : {statusCaption, lrstatus}) l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label(info, QStringLiteral("Format Info:"), QRect(4, 96, 70, 18));
  lformatinfo = Label(info, QStringLiteral("WAVE PCM"), QRect(76, 96, 240, 18), "lformatinfo");

  // Display panel: the idle picture under the spectrum, the position bar below.
  displaypanel = Named(new QWidget(this), "displaypanel");
  displaypanel->setGeometry(204, 118, 320, 150);
  Image1 = Named(new QLabel(displaypanel), "Image1");
  Image1->setGeometry(1, 1, 318, 120);
  Image1->setStyleSheet(QStringLiteral("background: black;"));
  PaintFrame = Named(new QWidget(displaypanel), "PaintFrame");
  PaintFrame->setGeometry(1, 1, 318, 120);
  // Its picture covers it whole: nothing under it is painted first.
  PaintFrame->setAttribute(Qt::WA_OpaquePaintEvent);
  PB = Named(new QWidget(displaypanel), "PB");
  PB->setGeometry(1, 124, 318, 25);
  PB->setAutoFillBackground(true);

  // Hidden list panels below the button row.
  greclist = Named(new QGroupBox(QStringLiteral("Recording File List"), this), "greclist");
  greclist->setGeometry(6, 312, 518, 154);
  greclist->hide();
  Reclist = Named(new QTreeWidget(greclist), "Reclist");
  Reclist->setGeometry(8, 18, 470, 128);
  Reclist->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Length"), QStringLiteral("Size"),
                            QStringLiteral("Type"), QStringLiteral("Path")});
  WidenColumnsForItems(Reclist, {110, 80, 80, 80, 150});
  Reclist->setRootIsDecorated(false);
  Reclist->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Reclist->setSelectionBehavior(QAbstractItemView::SelectRows);
  Reclist->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Reclist->setContextMenuPolicy(Qt::CustomContextMenu);
  Reclist->header()->setSectionsClickable(true);
  // The list's own buttons, beside it.
  const auto listButton = [this](const char* name, QStyle::StandardPixmap icon, const char* hint, int y) {
    auto* b = Named(new QPushButton(greclist), name);
    b->setGeometry(482, y, 28, 28);
    b->setIcon(style()->standardIcon(icon));
    b->setToolTip(QString::fromLatin1(hint));
    b->setEnabled(false);
    return b;
  };
  btnplay = listButton("btnplay", QStyle::SP_MediaPlay, "Play record file", 18);
  btndel = listButton("btndel", QStyle::SP_TrashIcon, "Delete record file from list", 51);
  btntagedit = listButton("btntagedit", QStyle::SP_FileDialogDetailedView, "Edit record files's tag", 84);
  btngoto = listButton("btngoto", QStyle::SP_DirOpenIcon, "Goto record file folder", 117);
  grectask = Named(new QGroupBox(QStringLiteral("Recording Task Scheduler"), this), "grectask");
  grectask->setGeometry(6, 312, 518, 154);
  grectask->hide();
  tasklist = Named(new QTreeWidget(grectask), "tasklist");
  tasklist->setGeometry(8, 18, 470, 128);
  tasklist->setHeaderLabels({QStringLiteral("Task Name"), QStringLiteral("Schedule"), QStringLiteral("Status")});
  WidenColumnsForItems(tasklist, {120, 300, 80});
  tasklist->setRootIsDecorated(false);
  tasklist->setSelectionMode(QAbstractItemView::SingleSelection);
  tasklist->setSelectionBehavior(QAbstractItemView::SelectRows);
  tasklist->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tasklist->setContextMenuPolicy(Qt::CustomContextMenu);
  const auto taskButton = [this](const char* name, QStyle::StandardPixmap icon, const char* hint, int y) {
    auto* b = Named(new QPushButton(grectask), name);
    b->setGeometry(482, y, 28, 28);
    b->setIcon(style()->standardIcon(icon));
    b->setToolTip(QString::fromLatin1(hint));
    return b;
  };
  btnaddtask = taskButton("btnaddtask", QStyle::SP_FileDialogNewFolder, "Add new record task", 18);
  btnedittask = taskButton("btnedittask", QStyle::SP_FileDialogDetailedView, "Edit record task", 51);
  btndeltask = taskButton("btndeltask", QStyle::SP_TrashIcon, "Delete record task", 84);
  btnruntask = taskButton("btnruntask", QStyle::SP_MediaPlay, "Run record task", 117);
  for (QPushButton* b : {btnedittask, btndeltask, btnruntask}) b->setEnabled(false);

  // Non-visual parts.
  Rectimer = Named(new QTimer(this), "Rectimer");
  Rectimer->setInterval(1000);
  FFTTimer = Named(new QTimer(this), "FFTTimer");
  FFTTimer->setInterval(33);
  ImageList5 = Named(new TImageList(this), "ImageList5");
  ImageList1 = Named(new TImageList(this), "ImageList1");
  TrayIcon1 = Named(new QSystemTrayIcon(this), "TrayIcon1");
  TrayIcon1->setToolTip(QStringLiteral("Zovedu"));
  BuildTray();

  setFixedSize(530, 306);
  const double scale = FontScale(this);
  ScaleGeometry(this, scale);
  PlaceButtonRow({btnrec, btnpause, btnstop, btnoption, btnwiz, btnreclist, btnschedule, btnhelp, BtnAbout}, scale);
}

void Tfrmmain::BuildMenus() {
  PopupMenu3 = Named(new QMenu(this), "PopupMenu3");
  ShowMainFrom1 = Item(PopupMenu3, "ShowMainFrom1", "Show MainFrom");
  Help2 = Item(PopupMenu3, "Help2", "Help");
  PopupMenu3->addSeparator();
  Exit1 = Item(PopupMenu3, "Exit1", "Exit");
  TrayIcon1->setContextMenu(PopupMenu3);

  PopupMenu2 = Named(new QMenu(this), "PopupMenu2");
  Add1 = Item(PopupMenu2, "Add1", "Add Task");
  DeleteTask1 = Item(PopupMenu2, "DeleteTask1", "Delete Task");
  PopupMenu2->addSeparator();
  RunTask1 = Item(PopupMenu2, "RunTask1", "Run Task");
  Disable1 = Item(PopupMenu2, "Disable1", "Disable Task");
  Refresh1 = Item(PopupMenu2, "Refresh1", "Refresh");
  PopupMenu2->addSeparator();
  Properties1 = Item(PopupMenu2, "Properties1", "Properties");

  PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
  menuplay = Item(PopupMenu1, "menuplay", "Play");
  menudel = Item(PopupMenu1, "menudel", "Delete");
  menuclear = Item(PopupMenu1, "menuclear", "Clear List");
  PopupMenu1->addSeparator();
  menutag = Item(PopupMenu1, "menutag", "Edit Tag");
  menumail = Item(PopupMenu1, "menumail", "Mail to");
  menucopy = Item(PopupMenu1, "menucopy", "Copy to");
  menugoto = Item(PopupMenu1, "menugoto", "Goto Folder");
  PopupMenu1->addSeparator();
  Editaudio1 = Item(PopupMenu1, "Editaudio1", "Edit Audio");
  Editaudio1->setEnabled(false);

  PopupMenu4 = Named(new QMenu(this), "PopupMenu4");
  Record1 = Item(PopupMenu4, "Record1", "Start Recording");
  Pause1 = Item(PopupMenu4, "Pause1", "Pause Recording");
  Stop1 = Item(PopupMenu4, "Stop1", "Stop Recording");
  PopupMenu4->addSeparator();
  Wizard1 = Item(PopupMenu4, "Wizard1", "Wizard");
  Scheduler1 = Item(PopupMenu4, "Scheduler1", "Scheduler");
  RecordsList1 = Item(PopupMenu4, "RecordsList1", "Records List");
  SoundEditor1 = Item(PopupMenu4, "SoundEditor1", "Run Sound Editor");
  SoundEditor1->setEnabled(false);
  PopupMenu4->addSeparator();
  Settings1 = Item(PopupMenu4, "Settings1", "Settings");
  PopupMenu4->addSeparator();
  Help1 = Item(PopupMenu4, "Help1", "Help");
  Help1->setShortcut(QKeySequence(Qt::Key_F1));
  Help1->setShortcutContext(Qt::WindowShortcut);
  addAction(Help1);
  About1 = Item(PopupMenu4, "About1", "About");
  PopupMenu4->addSeparator();
  Exit2 = Item(PopupMenu4, "Exit2", "Exit         Alt+F4");
}
