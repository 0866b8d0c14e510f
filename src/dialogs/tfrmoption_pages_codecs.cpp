// Pages 8-14: the encoder pages (MP3, WMA, OGG, lossless codecs, AAC, MPC, Speex).
#include <QHBoxLayout>
#include <QStackedWidget>

#include "dialogs/option_widgets.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "encoders/bitrate_tables.h"

using namespace optionui;

void Tfrmoption::BuildMp3Page() {
  mp3sheet = AddPage("mp3sheet", QStringLiteral("MP3"));
  auto* page = Column(mp3sheet);
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(1);
  mp3channelcom = Combo("mp3channelcom",
                        {QStringLiteral("default"), QStringLiteral("stereo"),
                         QStringLiteral("joint stereo"), QStringLiteral("forced joint stereo"),
                         QStringLiteral("mono")},
                        0);
  cmp3preset = Radio("cmp3preset", QStringLiteral("Use Preset:"), true);
  mp3presetcom = Combo("mp3presetcom",
                       {QStringLiteral("medium (VBR)"), QStringLiteral("standard (VBR)"),
                        QStringLiteral("fast standard (VBR)"), QStringLiteral("extreme (VBR)"),
                        QStringLiteral("fast extreme (VBR)"), QStringLiteral("insane (CBR)")},
                       1);
  cmp3cbr = Radio("cmp3cbr", QStringLiteral("Use CBR:"));
  mp3cbrbitratecom = Combo("mp3cbrbitratecom", {}, -1);
  cmp3vbr = Radio("cmp3vbr", QStringLiteral("Use VBR:"));
  mp3minbitratecom = Combo("mp3minbitratecom", {}, -1);
  mp3maxbitratecom = Combo("mp3maxbitratecom", {}, -1);
  lmp3quality = Label("lmp3quality", QStringLiteral("Quality:4"));
  cbarmp3quality = Slider("cbarmp3quality", 0, 9, 4);
  cmp3abr = Check("cmp3abr", QStringLiteral("Use ABR Inside of VBR"));
  emp3abr = Edit("emp3abr", QStringLiteral("128"));
  emp3abr->installEventFilter(this);
  udmp3abr = new TUpDown;
  udmp3abr->setObjectName(QStringLiteral("udmp3abr"));
  udmp3abr->setRange(Mp3AbrMin, Mp3AbrMax);
  udmp3abr->setBuddy(emp3abr);
  udmp3abr->setPosition(128);
  MakeGroup({cmp3preset, cmp3cbr, cmp3vbr});

  grid->addWidget(Text(QStringLiteral("Channel:")), 0, 0);
  grid->addWidget(mp3channelcom, 0, 1, 1, 3);
  grid->addWidget(cmp3preset, 1, 0);
  grid->addWidget(mp3presetcom, 1, 1, 1, 3);
  grid->addWidget(cmp3cbr, 2, 0);
  grid->addWidget(mp3cbrbitratecom, 2, 1, 1, 3);
  grid->addWidget(cmp3vbr, 3, 0);
  grid->addWidget(Text(QStringLiteral("Min Bitrate:")), 3, 1);
  grid->addWidget(mp3minbitratecom, 3, 2, 1, 2);
  grid->addWidget(Text(QStringLiteral("Max Bitrate:")), 4, 1);
  grid->addWidget(mp3maxbitratecom, 4, 2, 1, 2);
  grid->addWidget(lmp3quality, 5, 0);
  auto* qualityRow = new QHBoxLayout;
  qualityRow->addWidget(Text(QStringLiteral("(High)")));
  qualityRow->addWidget(cbarmp3quality, 1);
  qualityRow->addWidget(Text(QStringLiteral("(Low)")));
  grid->addLayout(qualityRow, 5, 1, 1, 3);
  grid->addWidget(cmp3abr, 6, 0, 1, 2);
  grid->addWidget(Text(QStringLiteral("ABR Bitrate:")), 6, 2);
  auto* abrRow = new QHBoxLayout;
  abrRow->setSpacing(0);
  abrRow->addWidget(emp3abr);
  abrRow->addWidget(udmp3abr);
  grid->addLayout(abrRow, 6, 3);
  page->addLayout(grid);

  auto* header = Group(QStringLiteral("Header Options"));
  auto* headerRow = new QHBoxLayout(header);
  headerRow->setContentsMargins(4, 2, 4, 2);
  cmp3crc = Check("cmp3crc", QStringLiteral("CRC"));
  cmp3non = Check("cmp3non", QStringLiteral("non-Original"));
  cmp3copy = Check("cmp3copy", QStringLiteral("Copyright"));
  for (QWidget* w : {cmp3crc, cmp3non, cmp3copy}) headerRow->addWidget(w);
  page->addWidget(header);
  page->addStretch();

  // The preset is chosen at first, so the CBR and VBR controls start disabled.
  for (QWidget* w : std::initializer_list<QWidget*>{mp3cbrbitratecom, mp3minbitratecom,
                                                    mp3maxbitratecom, cbarmp3quality, cmp3abr,
                                                    emp3abr, udmp3abr})
    w->setEnabled(false);
}

void Tfrmoption::BuildWmaPage() {
  wmasheet = AddPage("wmasheet", QStringLiteral("WMA"));
  auto* page = Column(wmasheet);
  auto* grid = new QGridLayout;
  wmachannelcom = Combo("wmachannelcom", {QStringLiteral("mono"), QStringLiteral("stereo")}, 1);
  wmacodeccom = Combo("wmacodeccom",
                      {QStringLiteral("WMA Standard"), QStringLiteral("WMA Pro"),
                       QStringLiteral("WMA Pro(24bit)")},
                      0);
  grid->addWidget(Text(QStringLiteral("Channel:")), 0, 0);
  grid->addWidget(wmachannelcom, 0, 1);
  grid->addWidget(Text(QStringLiteral("WMA Codec:")), 1, 0);
  grid->addWidget(wmacodeccom, 1, 1);
  page->addLayout(grid);

  auto* bitrate = Group(QStringLiteral("Bitrate"));
  auto* g = Grid(bitrate);
  cwmacbr = Radio("cwmacbr", QStringLiteral("CBR"), true);
  wmacbrbitratecom = Combo("wmacbrbitratecom", {}, -1);
  cwmavbr = Radio("cwmavbr", QStringLiteral("VBR"));
  wmaqualitycom = Combo("wmaqualitycom", {}, -1);
  wmaqualitycom->setEnabled(false);
  MakeGroup({cwmacbr, cwmavbr});
  g->addWidget(cwmacbr, 0, 0);
  g->addWidget(Text(QStringLiteral("Bitrate (kbps):")), 0, 1);
  g->addWidget(wmacbrbitratecom, 0, 2);
  g->addWidget(cwmavbr, 1, 0);
  g->addWidget(Text(QStringLiteral("Quailty:")), 1, 1);
  g->addWidget(wmaqualitycom, 1, 2);
  page->addWidget(bitrate);
  page->addStretch();
}

void Tfrmoption::BuildOggPage() {
  oggsheet = AddPage("oggsheet", QStringLiteral("OGG"));
  auto* page = Column(oggsheet);
  auto* grid = new QGridLayout;
  oggchannelcom = Combo("oggchannelcom", {QStringLiteral("mono"), QStringLiteral("stereo")}, 1);
  coggquality = Check("coggquality", QStringLiteral("Quality Based"), true);
  cbaroggquality = Slider("cbaroggquality", -200, 1000, 275);
  loggquality = Label("loggquality", QStringLiteral("Value:2.75"));
  coggaverage = Check("coggaverage", QStringLiteral("Average Bitrate"));
  oggnorbitratecom = Combo("oggnorbitratecom", OggNominalBitrateItems(), 8);
  oggminbitratecom = Combo("oggminbitratecom", OggMinMaxBitrateItems(), 0);
  oggmaxbitratecom = Combo("oggmaxbitratecom", OggMinMaxBitrateItems(), 0);
  for (QWidget* w : {oggnorbitratecom, oggminbitratecom, oggmaxbitratecom}) w->setEnabled(false);
  grid->addWidget(Text(QStringLiteral("Channel:")), 0, 0);
  grid->addWidget(oggchannelcom, 0, 1);
  grid->addWidget(coggquality, 1, 0);
  grid->addWidget(cbaroggquality, 1, 1);
  grid->addWidget(loggquality, 1, 2);
  grid->addWidget(coggaverage, 2, 0);
  grid->addWidget(Text(QStringLiteral("Normal Bitrate:")), 3, 0);
  grid->addWidget(oggnorbitratecom, 3, 1);
  grid->addWidget(Text(QStringLiteral("Min Bitrate:")), 4, 0);
  grid->addWidget(oggminbitratecom, 4, 1);
  grid->addWidget(Text(QStringLiteral("Max Bitrate:")), 5, 0);
  grid->addWidget(oggmaxbitratecom, 5, 1);
  page->addLayout(grid);
  page->addStretch();
}

void Tfrmoption::BuildLosslessPage() {
  TabSheet1 = AddPage("TabSheet1", QStringLiteral("Lossless Codec"));
  auto* page = Column(TabSheet1);

  auto* ape = Group(QStringLiteral("Monkey's Audio Format (APE)"));
  auto* apeRow = new QHBoxLayout(ape);
  apeRow->setContentsMargins(4, 2, 4, 2);
  apelevelcom = Combo("apelevelcom",
                      {QStringLiteral("fast"), QStringLiteral("normal"), QStringLiteral("high"),
                       QStringLiteral("extra_high"), QStringLiteral("insane")},
                      2);
  apeRow->addWidget(Text(QStringLiteral("Compress Level:")));
  apeRow->addWidget(apelevelcom, 1);
  page->addWidget(ape);

  auto* flac = Group(QStringLiteral("Free Lossless Audio Codec (FLAC)"));
  auto* flacRow = new QHBoxLayout(flac);
  flacRow->setContentsMargins(4, 2, 4, 2);
  flaclevelcom = Combo("flaclevelcom",
                       {QStringLiteral("0 - fast"), QStringLiteral("1"), QStringLiteral("2"),
                        QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5 - default"),
                        QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8 - best quality")},
                       5);
  flacRow->addWidget(Text(QStringLiteral("Compress Level:")));
  flacRow->addWidget(flaclevelcom, 1);
  page->addWidget(flac);

  auto* wv = Group(QStringLiteral("Hybrid Lossless Wavefile Compressor (Wavpack)"));
  auto* grid = Grid(wv);
  wvchannelcom = Combo("wvchannelcom",
                       {QStringLiteral("Joint stereo mid/side"), QStringLiteral("Joint stereo left/right")},
                       0);
  wvqualitycom = Combo("wvqualitycom",
                       {QStringLiteral("None"), QStringLiteral("Speed"), QStringLiteral("Quality")}, 0);
  cwvcompress = Check("cwvcompress", QStringLiteral("Hybrid Compression"));
  cwvbit = Radio("cwvbit", QStringLiteral("Bit/Sample"), true);
  cwvsample = Radio("cwvsample", QStringLiteral("kbits/second"));
  barwvcompress = Slider("barwvcompress", WvBitMin, WvBitMax, WvBitMax);
  lwvcompress = Label("lwvcompress", QStringLiteral("Value:23.9"));
  MakeGroup({cwvbit, cwvsample});
  for (QWidget* w : std::initializer_list<QWidget*>{cwvbit, cwvsample, barwvcompress})
    w->setEnabled(false);
  grid->addWidget(Text(QStringLiteral("Channels:")), 0, 0);
  grid->addWidget(wvchannelcom, 0, 1, 1, 2);
  grid->addWidget(Text(QStringLiteral("Mode:")), 1, 0);
  grid->addWidget(wvqualitycom, 1, 1, 1, 2);
  auto* hybridRow = new QHBoxLayout;
  hybridRow->addWidget(cwvcompress);
  hybridRow->addWidget(cwvbit);
  hybridRow->addWidget(cwvsample);
  grid->addLayout(hybridRow, 2, 0, 1, 3);
  grid->addWidget(barwvcompress, 3, 0, 1, 2);
  grid->addWidget(lwvcompress, 3, 2);
  page->addWidget(wv);
  page->addStretch();
}

void Tfrmoption::BuildAacPage() {
  aacsheet = AddPage("aacsheet", QStringLiteral("AAC"));
  auto* page = Column(aacsheet);
  auto* grid = new QGridLayout;
  aacformatcom = Combo("aacformatcom", {QStringLiteral("AAC"), QStringLiteral("MP4"), QStringLiteral("M4A")}, 0);
  aacmpegcom = Combo("aacmpegcom",
                     {QStringLiteral("Default"), QStringLiteral("Mpeg 2"), QStringLiteral("Mpeg 4")}, 0);
  caacvbr = Radio("caacvbr", QStringLiteral("VBR"), true);
  baraacquality = Slider("baraacquality", 10, 500, 100);
  laacquality = Label("laacquality", QStringLiteral("Quality:100"));
  caacabr = Radio("caacabr", QStringLiteral("ABR"));
  baraacabr = Slider("baraacabr", 8, 256, 128);
  laacbitrate = Label("laacbitrate", QStringLiteral("Bitrate:128 kbps"));
  caacbandwith = Check("caacbandwith", QStringLiteral("Maximun bandwith"));
  baraacbandwith = Slider("baraacbandwith", 10000, 48000, 16000);
  laacbandwith = Label("laacbandwith", QStringLiteral("Value:16000 hz"));
  baraacabr->setEnabled(false);
  baraacbandwith->setEnabled(false);
  MakeGroup({caacvbr, caacabr});
  grid->addWidget(Text(QStringLiteral("Format Type:")), 0, 0);
  grid->addWidget(aacformatcom, 0, 1, 1, 2);
  grid->addWidget(Text(QStringLiteral("AAC Mpeg Version:")), 1, 0);
  grid->addWidget(aacmpegcom, 1, 1, 1, 2);
  grid->addWidget(caacvbr, 2, 0);
  grid->addWidget(baraacquality, 2, 1);
  grid->addWidget(laacquality, 2, 2);
  grid->addWidget(caacabr, 3, 0);
  grid->addWidget(baraacabr, 3, 1);
  grid->addWidget(laacbitrate, 3, 2);
  grid->addWidget(caacbandwith, 4, 0);
  grid->addWidget(baraacbandwith, 4, 1);
  grid->addWidget(laacbandwith, 4, 2);
  page->addLayout(grid);
  page->addStretch();
}

void Tfrmoption::BuildMpcPage() {
  mpcsheet = AddPage("mpcsheet", QStringLiteral("MPC"));
  auto* page = Column(mpcsheet);
  auto* grid = new QGridLayout;
  mpcformatcom = Combo("mpcformatcom", {QStringLiteral("MPC"), QStringLiteral("MP+"), QStringLiteral("MPP")}, 0);
  mpcchannelcom = Combo("mpcchannelcom",
                        {QStringLiteral("off"), QStringLiteral("reduced"), QStringLiteral("on"),
                         QStringLiteral("decoupled"), QStringLiteral("enhanced 1.5/3 db"),
                         QStringLiteral("2/6 db"), QStringLiteral("2.5/9 db"), QStringLiteral("3/12 db"),
                         QStringLiteral("3/oo db")},
                        5);
  grid->addWidget(Text(QStringLiteral("Format Type:")), 0, 0);
  grid->addWidget(mpcformatcom, 0, 1);
  grid->addWidget(Text(QStringLiteral("Channel Mode:")), 1, 0);
  grid->addWidget(mpcchannelcom, 1, 1);
  page->addLayout(grid);

  auto* quality = Group(QStringLiteral("Quality"));
  auto* g = Grid(quality);
  cmpcpreset = Radio("cmpcpreset", QStringLiteral("PreSet:"), true);
  mpcpresetcom = Combo("mpcpresetcom",
                       {QStringLiteral("telephone lowest quality (32~48 kbps)"),
                        QStringLiteral("thumb Low quality/internet (58~86 kbps)"),
                        QStringLiteral("radio medium <MP3> quality (112~152 kbps)"),
                        QStringLiteral("standard high quality<delfault> (142~184 kbps)"),
                        QStringLiteral("streme extreme high quality (168~212 kbps)"),
                        QStringLiteral("insane extreme high quality (232~268 kbps)"),
                        QStringLiteral("braindead extreme high quality (232~278 kps)")},
                       3);
  cmpccustomset = Radio("cmpccustomset", QStringLiteral("Custom Set"));
  barmpcquality = Slider("barmpcquality", 0, 1000, 500);
  lmpcquality = Label("lmpcquality", QStringLiteral("Quality:5"));
  MakeGroup({cmpcpreset, cmpccustomset});
  // The presets' long texts get a line of their own below their button.
  g->addWidget(cmpcpreset, 0, 0, 1, 4);
  g->addWidget(mpcpresetcom, 1, 0, 1, 4);
  g->addWidget(cmpccustomset, 2, 0, 1, 4);
  g->addWidget(Text(QStringLiteral("Low")), 3, 0, Qt::AlignRight);
  g->addWidget(barmpcquality, 3, 1, 1, 2);
  g->addWidget(Text(QStringLiteral("High")), 3, 3);
  g->addWidget(lmpcquality, 4, 1);
  FitListToItems(mpcpresetcom);
  page->addWidget(quality);
  page->addStretch();
}

void Tfrmoption::BuildSpeexPage() {
  speexsheet = AddPage("speexsheet", QStringLiteral("Speex"));
  auto* page = Column(speexsheet);
  auto* bitrate = Group(QStringLiteral("Bitrate"));
  auto* g = Grid(bitrate);
  cspeexcbr = Radio("cspeexcbr", QStringLiteral("CBR"), true);
  cspeexabr = Radio("cspeexabr", QStringLiteral("ABR"));
  cspeexvbr = Radio("cspeexvbr", QStringLiteral("VBR"));
  speexbitratecom = Combo("speexbitratecom", {}, -1);
  MakeGroup({cspeexcbr, cspeexabr, cspeexvbr});
  g->addWidget(cspeexcbr, 0, 0);
  g->addWidget(cspeexabr, 0, 1);
  g->addWidget(cspeexvbr, 0, 2);
  g->addWidget(Text(QStringLiteral("Bitrate:")), 1, 0);
  g->addWidget(speexbitratecom, 1, 1, 1, 2);
  page->addWidget(bitrate);

  auto* quality = Group(QStringLiteral("Quality"));
  auto* q = Grid(quality);
  barspeexquality = Slider("barspeexquality", 0, 10, 8);
  speexmodecom = Combo("speexmodecom",
                       {QStringLiteral("Narrowband 8khz"), QStringLiteral("Wideband 16khz"),
                        QStringLiteral("Ultra-wideband 32khz")},
                       2);
  q->addWidget(Text(QStringLiteral("Quality:8")), 0, 0);
  q->addWidget(barspeexquality, 1, 0);
  q->addWidget(Text(QStringLiteral("Mode:")), 0, 1);
  q->addWidget(speexmodecom, 1, 1);
  page->addWidget(quality);

  // One box a line: side by side the captions do not fit the page.
  auto* boxes = new QVBoxLayout;
  cspeexvad = Check("cspeexvad", QStringLiteral("Voice Active Detection"));
  cspeexagc = Check("cspeexagc", QStringLiteral("Adaptive Gain Control"));
  cspeexnr = Check("cspeexnr", QStringLiteral("Noise Reduce"));
  cspeexagc->setEnabled(false);
  cspeexnr->setEnabled(false);
  for (QWidget* w : {cspeexvad, cspeexagc, cspeexnr}) boxes->addWidget(w);
  page->addLayout(boxes);
  page->addStretch();
}
