// The "Default" button of every page and "Default All".
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>

#include "option_fixture.h"

namespace {

struct PageDefaultCase {
  int page;
  // Values set first (as the user might have left them), then expected values.
  std::vector<std::pair<const char*, QVariant>> before, after;
  std::vector<std::pair<const char*, bool>> enabledAfter;
};

const std::vector<PageDefaultCase>& Cases() {
  static const std::vector<PageDefaultCase> cases = {
      {0,
       {{"barstartdb", -10}, {"barslient", 20}, {"cslientstop", true}},
       {{"barstartdb", -50}, {"barslient", 0}, {"cslientpause", true}, {"cslientstop", false}, {"cslientnew", false}},
       {}},
      {1,
       {{"Efolder", QStringLiteral("/x/")}, {"coverwrite", true}, {"cprefix", false}, {"eprefix", QStringLiteral("A")},
        {"cdatatime", true}, {"comdatatime", 5}, {"caiu", false}},
       {{"Efolder", QStringLiteral("/home/u/Music/My Recordings/")}, {"coverwrite", false}, {"cprefix", true},
        {"eprefix", QStringLiteral("Rectest")}, {"cdatatime", false}, {"comdatatime", 0}, {"caiu", true}},
       {{"eprefix", true}, {"comdatatime", false}}},
      {2,
       {{"csot", true}, {"copen", true}, {"cadd", false}, {"cimrun", true}},
       {{"csot", false}, {"copen", false}, {"cadd", true}, {"cplay", true}, {"cimrun", false},
        {"cmintotray", false}, {"cshowtime", false}},
       {{"cplay", true}, {"cshowtime", false}}},
      {3,
       {{"csplitnew", true}, {"csplitcs", true}, {"esplitcl", QStringLiteral("9")}, {"esplitcs", QStringLiteral("9")}},
       {{"csplitnew", false}, {"csplitstop", false}, {"csplit74", true}, {"esplitcl", QStringLiteral("60")},
        {"esplitcs", QStringLiteral("4")}},
       {{"csplit74", false}, {"esplitcs", false}, {"esplitcl", false}}},
      {4,
       {{"ccompressor", true}, {"barcomgain", 9}, {"barcomattack", 9}, {"barcomrelease", 9},
        {"barcomthreshold", -9}, {"barcomratio", 9}, {"barcompredelay", 3}},
       {{"ccompressor", false}, {"barcomgain", 0}, {"barcomattack", 1}, {"barcomrelease", 50},
        {"barcomthreshold", -10}, {"barcomratio", 10}, {"barcompredelay", 0}},
       {}},
      {5,
       {{"cagc", true}, {"baragctarget", 9}, {"baragcquiet", 9}, {"baragcrate", 9}, {"baragcgain", 9}, {"baragcdelay", 9}},
       {{"cagc", false}, {"baragctarget", 93}, {"baragcquiet", 2}, {"baragcrate", 1}, {"baragcgain", 100},
        {"baragcdelay", 50}},
       {}},
      {6,
       {{"cbandpass", true}, {"cnotchpass", true}, {"barfilterlow", 10}, {"barfilterhigh", 20}, {"barnotchpass", 30}},
       {{"clowpass", false}, {"chighpass", false}, {"cbandpass", false}, {"cnotchpass", false},
        {"barfilterlow", 10}, {"barfilterhigh", 20}, {"barnotchpass", 30}},
       {{"barfilterlow", false}, {"barfilterhigh", false}, {"barnotchpass", false}}},
      {8,
       {{"mp3channelcom", 3}, {"cmp3vbr", true}, {"cmp3abr", true}, {"mp3presetcom", 5}, {"cbarmp3quality", 0},
        {"emp3abr", QStringLiteral("300")}, {"cmp3crc", true}, {"cmp3copy", true}, {"cmp3non", true},
        {"mp3minbitratecom", 2}},
       {{"mp3channelcom", 0}, {"cmp3preset", true}, {"mp3presetcom", 1}, {"cmp3cbr", false}, {"cmp3vbr", false},
        {"cbarmp3quality", 4}, {"cmp3abr", false}, {"udmp3abr", 128}, {"emp3abr", QStringLiteral("128")},
        {"cmp3crc", false}, {"cmp3copy", false}, {"cmp3non", false}, {"mp3minbitratecom", 2}},
       {{"mp3presetcom", true}, {"mp3cbrbitratecom", false}, {"emp3abr", false}}},
      {9,
       {{"wmachannelcom", 0}, {"cwmacbr", true}},
       {{"wmachannelcom", 1}, {"wmacodeccom", 0}, {"cwmacbr", true}, {"cwmavbr", false}, {"wmacbrbitratecom", 0}},
       {{"wmacbrbitratecom", true}, {"wmaqualitycom", false}}},
      {10,
       {{"oggchannelcom", 0}, {"coggaverage", true}, {"cbaroggquality", 900}, {"oggnorbitratecom", 2}},
       {{"oggchannelcom", 1}, {"coggquality", true}, {"coggaverage", false}, {"cbaroggquality", 275},
        {"oggnorbitratecom", 2}},
       {{"oggnorbitratecom", false}, {"cbaroggquality", true}}},
      {11,
       {{"apelevelcom", 0}, {"flaclevelcom", 0}, {"wvchannelcom", 1}, {"cwvcompress", true}, {"cwvsample", true},
        {"wvqualitycom", 2}},
       {{"apelevelcom", 2}, {"flaclevelcom", 5}, {"wvchannelcom", 0}, {"cwvcompress", false}, {"cwvbit", true},
        {"cwvsample", false}, {"wvqualitycom", 0}, {"barwvcompress", 239}},
       {{"cwvbit", false}, {"barwvcompress", false}}},
      {12,
       {{"aacformatcom", 1}, {"aacmpegcom", 2}, {"caacabr", true}, {"baraacquality", 300}, {"baraacabr", 64},
        {"caacbandwith", true}, {"baraacbandwith", 30000}},
       {{"aacformatcom", 0}, {"aacmpegcom", 0}, {"caacvbr", true}, {"caacabr", false}, {"baraacquality", 100},
        {"baraacabr", 128}, {"caacbandwith", false}, {"baraacbandwith", 16000}},
       {{"aacmpegcom", true}, {"baraacabr", false}, {"baraacbandwith", false}}},
      {13,
       {{"mpcformatcom", 1}, {"mpcchannelcom", 0}, {"cmpccustomset", true}, {"mpcpresetcom", 6}, {"barmpcquality", 100}},
       {{"mpcformatcom", 0}, {"mpcchannelcom", 5}, {"cmpcpreset", true}, {"mpcpresetcom", 3},
        {"cmpccustomset", false}, {"barmpcquality", 500}},
       {{"mpcpresetcom", true}}},
      {14,
       {{"cspeexvbr", true}, {"speexbitratecom", 2}, {"barspeexquality", 1}, {"speexmodecom", 0},
        {"cspeexvad", true}, {"cspeexagc", true}, {"cspeexnr", true}},
       {{"cspeexcbr", true}, {"cspeexvbr", false}, {"cspeexabr", false}, {"speexbitratecom", 14},
        {"barspeexquality", 8}, {"speexmodecom", 2}, {"cspeexvad", false}, {"cspeexagc", false}, {"cspeexnr", false}},
       {{"speexbitratecom", true}, {"cspeexagc", false}}},
  };
  return cases;
}

}  // namespace

class PageDefaultsTest : public OptionDialogTest {
 protected:
  // Sets a value as a user would leave it (enabling as needed).
  void set(const char* name, const QVariant& v) {
    QWidget* w = control(QString::fromLatin1(name));
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      b->setEnabled(true);
      if (b->isChecked() != v.toBool()) b->click();
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
      c->setCurrentIndex(v.toInt());
      emit c->activated(v.toInt());
    } else if (auto* s = qobject_cast<QSlider*>(w)) {
      s->setValue(v.toInt());
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
      e->setText(v.toString());
    }
  }
  void check(const PageDefaultCase& c) {
    for (const auto& [name, v] : c.after) EXPECT_EQ(value(QString::fromLatin1(name)), v) << c.page << " " << name;
    for (const auto& [name, on] : c.enabledAfter) EXPECT_EQ(enabled(QString::fromLatin1(name)), on) << c.page << " " << name;
  }
};

TEST_F(PageDefaultsTest, DefaultButtonRestoresThePageShown) {
  for (const PageDefaultCase& c : Cases()) {
    dlg = std::make_unique<Tfrmoption>(&link);
    dlg->LoadSettings();
    for (const auto& [name, v] : c.before) set(name, v);
    dlg->ShowPage(c.page);
    click("btndef");
    check(c);
  }
}

TEST_F(PageDefaultsTest, DefaultAllRestoresEveryPage) {
  dlg->LoadSettings();
  for (const PageDefaultCase& c : Cases())
    for (const auto& [name, v] : c.before) set(name, v);
  // Settings that exclude each other across cases end as the last one left them;
  // the defaults do not depend on that.
  click("btndall");
  for (const PageDefaultCase& c : Cases()) {
    for (const auto& [name, v] : c.after) {
      // Page defaults marked "keep" follow the last value set above.
      bool kept = false;
      for (const auto& [bname, bv] : c.before) kept |= QString(bname) == name && bv == v;
      if (!kept) {
        EXPECT_EQ(value(QString::fromLatin1(name)), v) << c.page << " " << name;
      }
    }
  }
  // The hotkey page wrote its three sections.
  EXPECT_EQ(ini().ReadInteger("keystop", "hotkey", -1), 38);
}
