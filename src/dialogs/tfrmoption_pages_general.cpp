// Pages 0-3: silence handling (DAR), output, Misc and split recording.
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>

#include "dialogs/option_widgets.h"
#include "dialogs/tfrmoption.h"

using namespace optionui;

void Tfrmoption::BuildDarPage() {
  darsheet = AddPage("darsheet", QStringLiteral("DAR TM"));
  auto* page = Column(darsheet);

  auto* about = Group(QStringLiteral("What's Mean DAR technology?"));
  auto* aboutText = Column(about);
  // The explanation's pieces in one wrapping label; "&" marks the underlined
  // initial of each red word, as an accelerator would show it.
  QString explanation = QStringLiteral("DAR is ");
  for (const char* word : {"&Data", "&Active", "&Record"}) {
    const QString w = QString::fromLatin1(word).mid(1);
    explanation += QStringLiteral("<span style=\"color:red\"><u>%1</u>%2</span>").arg(w.left(1), w.mid(1));
  }
  explanation += QStringLiteral(",Use this TM our recorder will pause "
                                "recording automatically when no sound data receive until get data "
                                "again.use this feature our recording file not have any silent.");
  auto* explanationLabel = Text(explanation);
  explanationLabel->setTextFormat(Qt::RichText);
  explanationLabel->setWordWrap(true);
  aboutText->addWidget(explanationLabel);
  page->addWidget(about);

  auto* bottom = new QHBoxLayout;
  auto* level = Group(QStringLiteral("Sound Level (DB)"));
  auto* levelCol = Column(level);
  ldbstart = Label("ldbstart", QStringLiteral("Level Threshold:-50 db"));
  barstartdb = Slider("barstartdb", -100, 0, -50);
  auto* softLoud = new QHBoxLayout;
  softLoud->addWidget(Red(Text(QStringLiteral("Soft"))));
  softLoud->addStretch();
  softLoud->addWidget(Red(Text(QStringLiteral("Loud"))));
  lslient = Label("lslient", QStringLiteral("Silent Length:0 Seconds"));
  barslient = Slider("barslient", 0, 60, 0);
  levelCol->addWidget(ldbstart);
  levelCol->addWidget(barstartdb);
  levelCol->addLayout(softLoud);
  levelCol->addWidget(lslient);
  levelCol->addWidget(barslient);
  // The level box takes what its captions need, the action box the rest.
  bottom->addWidget(level);

  auto* action = Group(QStringLiteral("Action"));
  auto* actionCol = Column(action);
  cslientpause = Check("cslientpause", QStringLiteral("Pause Recording at Silent"), true);
  cslientstop = Check("cslientstop", QStringLiteral("Stop Recording at Silent"));
  cslientnew = Check("cslientnew", QStringLiteral("Stop/New Recording at silent"));
  for (QWidget* w : {cslientpause, cslientstop, cslientnew}) actionCol->addWidget(w);
  bottom->addWidget(action, 1);
  page->addLayout(bottom);
}

void Tfrmoption::BuildOutputPage() {
  outputsheet = AddPage("outputsheet", QStringLiteral("output"));
  auto* page = Column(outputsheet);

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(Text(QStringLiteral("Output Folder:")));
  Efolder = Edit("Efolder", QString());
  SpeedButton1 = new QToolButton;
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setText(QStringLiteral("..."));
  SpeedButton1->setToolTip(QStringLiteral("Select Output Folder"));
  folderRow->addWidget(Efolder, 1);
  folderRow->addWidget(SpeedButton1);
  page->addLayout(folderRow);
  coverwrite = Check("coverwrite", QStringLiteral("Always Overwrite file when recording file exists"));
  page->addWidget(coverwrite);

  auto* rule = Group(QStringLiteral("Output Name Rule"));
  auto* grid = Grid(rule);
  cprefix = Check("cprefix", QStringLiteral("Prefix String"), true);
  eprefix = Edit("eprefix", QStringLiteral("Rectest"));
  cdatatime = Check("cdatatime", QStringLiteral("Date/Time"));
  comdatatime = Combo("comdatatime",
                      {QStringLiteral("hh-nn"), QStringLiteral("dd-hh-nn"), QStringLiteral("mm-dd-hh"),
                       QStringLiteral("yyyy-mm-dd"), QStringLiteral("dd/hh-nn"),
                       QStringLiteral("mm/dd-hh"), QStringLiteral("yyyy/mm-dd")},
                      0);
  comdatatime->setEnabled(false);
  caiu = Check("caiu", QStringLiteral("Auto Increase Number"), true);
  lsname = Red(Label("lsname", QString()));
  lsname->setAlignment(Qt::AlignCenter);
  grid->addWidget(cprefix, 0, 0);
  grid->addWidget(eprefix, 0, 1);
  grid->addWidget(cdatatime, 1, 0);
  grid->addWidget(comdatatime, 1, 1);
  grid->addWidget(caiu, 2, 0, 1, 2);
  grid->addWidget(Text(QStringLiteral("Result:")), 3, 0);
  grid->addWidget(lsname, 3, 1);
  page->addWidget(rule);
  page->addStretch();
}

void Tfrmoption::BuildMiscPage() {
  Miscsheet = AddPage("Miscsheet", QStringLiteral("Misc"));
  auto* page = Column(Miscsheet);
  csot = Check("csot", QStringLiteral("Always Stay on Top"));
  copen = Check("copen", QStringLiteral("When Stop Recording Open Output folder"));
  cadd = Check("cadd", QStringLiteral("Add Recording file to Record List after stop recording"), true);
  cplay = Check("cplay", QStringLiteral("Play Recording file after stop recording"), true);
  cimrun = Check("cimrun", QStringLiteral("Start recording immediately on program startup"));
  cmintotray = Check("cmintotray", QStringLiteral("Minimize to system tray on minimize"), true);
  cshowtime = Check("cshowtime", QStringLiteral("Show Recording Time when minimize to tray"), true);
  for (QWidget* w : {csot, copen, cadd, cplay, cimrun, cmintotray, cshowtime}) page->addWidget(w);
  page->addStretch();
}

void Tfrmoption::BuildSplitPage() {
  splitsheet = AddPage("splitsheet", QStringLiteral("Split recording"));
  auto* page = Column(splitsheet);
  csplitnew = Check("csplitnew", QStringLiteral("Create new file after split"));
  page->addWidget(csplitnew);

  gsplit = Group(QStringLiteral("Split Settings"));
  gsplit->setObjectName(QStringLiteral("gsplit"));
  auto* grid = Grid(gsplit);
  csplit74 = Radio("csplit74", QStringLiteral("74 min (for Audio CD)"), true);
  csplit80 = Radio("csplit80", QStringLiteral("80 min (for Audio CD)"));
  csplit650 = Radio("csplit650", QStringLiteral("650 MB (for Data CD)"));
  csplit700 = Radio("csplit700", QStringLiteral("700 MB (for Data CD)"));
  csplitcl = Radio("csplitcl", QStringLiteral("Custom Length: "));
  csplitcs = Radio("csplitcs", QStringLiteral("Custom File Size:"));
  esplitcl = Edit("esplitcl", QStringLiteral("60"));
  esplitcs = Edit("esplitcs", QStringLiteral("4"));
  for (QLineEdit* e : {esplitcl, esplitcs}) {
    e->setMaxLength(CustomSplitMaxDigits);
    e->installEventFilter(this);
  }
  MakeGroup({csplit74, csplit80, csplit650, csplit700, csplitcl, csplitcs});
  grid->addWidget(csplit74, 0, 0);
  grid->addWidget(csplit80, 0, 1, 1, 2);
  grid->addWidget(csplit650, 1, 0);
  grid->addWidget(csplit700, 1, 1, 1, 2);
  grid->addWidget(csplitcl, 2, 0);
  grid->addWidget(esplitcl, 2, 1);
  grid->addWidget(Text(QStringLiteral("Seconds")), 2, 2);
  grid->addWidget(csplitcs, 3, 0);
  grid->addWidget(esplitcs, 3, 1);
  grid->addWidget(Text(QStringLiteral("MB")), 3, 2);
  for (QWidget* w : std::initializer_list<QWidget*>{csplit74, csplit80, csplit650, csplit700,
                                                    csplitcl, csplitcs, esplitcl, esplitcs})
    w->setEnabled(false);
  page->addWidget(gsplit);

  csplitstop = Check("csplitstop", QStringLiteral("Just stop recording after split"));
  page->addWidget(csplitstop);
  page->addStretch();
}
