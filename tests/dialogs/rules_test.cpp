// The enabling and exclusion rules and the value labels, driven through the
// controls as a user would.
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include "option_fixture.h"

namespace {

enum class Prop { Checked, Enabled, Value };

struct Step {
  const char* control;
  QVariant value;
};

struct Expect {
  const char* control;
  Prop prop;
  QVariant value;
};

struct RuleCase {
  const char* name;
  std::vector<Step> setup;    // set by the program before the action
  std::vector<Step> actions;  // done as the user does them
  std::vector<Expect> expects;
};

constexpr auto C = Prop::Checked;
constexpr auto E = Prop::Enabled;
constexpr auto V = Prop::Value;

const std::vector<RuleCase>& RuleCases() {
  static const std::vector<RuleCase> cases = {
      {"pause excludes stop and new", {{"barslient", 5}, {"cslientnew", true}}, {{"cslientpause", true}},
       {{"cslientnew", C, false}, {"cslientstop", C, false}, {"cslientpause", C, true}}},
      {"stop excludes pause and new", {}, {{"cslientstop", true}},
       {{"cslientpause", C, false}, {"cslientnew", C, false}}},
      {"new needs a silent length", {}, {{"cslientnew", true}},
       {{"cslientnew", C, false}, {"cslientpause", C, true}}},
      {"new excludes pause and stop", {{"barslient", 5}, {"cslientstop", true}}, {{"cslientnew", true}},
       {{"cslientnew", C, true}, {"cslientpause", C, false}, {"cslientstop", C, false}}},
      {"silent length 0 unchecks new", {{"barslient", 5}, {"cslientnew", true}}, {{"barslient", 0}},
       {{"cslientnew", C, false}}},
      {"prefix enables its edit", {}, {{"cprefix", false}}, {{"eprefix", E, false}}},
      {"date/time enables its list", {}, {{"cdatatime", true}}, {{"comdatatime", E, true}}},
      {"add to list off unchecks play", {}, {{"cadd", false}}, {{"cplay", C, false}, {"cplay", E, false}}},
      {"add to list on enables play only", {{"cadd", false}}, {{"cadd", true}},
       {{"cplay", E, true}, {"cplay", C, false}}},
      {"tray off unchecks show time", {}, {{"cmintotray", false}},
       {{"cshowtime", C, false}, {"cshowtime", E, false}}},
      {"new file enables split radios", {}, {{"csplitnew", true}},
       {{"csplit74", E, true}, {"csplitcs", E, true}, {"esplitcl", E, false}, {"esplitcs", E, false}}},
      {"custom length with stop", {}, {{"csplitstop", true}, {"csplitcl", true}},
       {{"esplitcl", E, true}, {"esplitcs", E, false}}},
      {"custom size radio", {}, {{"csplitnew", true}, {"csplitcs", true}},
       {{"esplitcs", E, true}, {"esplitcl", E, false}}},
      {"stop excludes new, radios stay", {}, {{"csplitnew", true}, {"csplitcl", true}, {"csplitstop", true}},
       {{"csplitnew", C, false}, {"csplit80", E, true}, {"esplitcl", E, true}}},
      {"neither split box disables all", {}, {{"csplitnew", true}, {"csplitcl", true}, {"csplitnew", false}},
       {{"csplit74", E, false}, {"csplitcl", E, false}, {"esplitcl", E, false}, {"esplitcs", E, false}}},
      {"low pass", {{"cbandpass", true}}, {{"clowpass", true}},
       {{"cbandpass", C, false}, {"barfilterlow", E, true}, {"barfilterhigh", E, false}}},
      {"high pass", {{"clowpass", true}}, {{"chighpass", true}},
       {{"clowpass", C, false}, {"barfilterlow", E, false}, {"barfilterhigh", E, true}}},
      {"band pass", {{"chighpass", true}}, {{"cbandpass", true}},
       {{"chighpass", C, false}, {"clowpass", C, false}, {"barfilterlow", E, true}, {"barfilterhigh", E, true}}},
      {"notch", {}, {{"cnotchpass", true}}, {{"barnotchpass", E, true}}},
      {"mp3 cbr", {}, {{"cmp3cbr", true}},
       {{"mp3cbrbitratecom", E, true}, {"mp3minbitratecom", E, false}, {"mp3presetcom", E, false},
        {"cmp3abr", E, false}}},
      {"mp3 vbr", {}, {{"cmp3vbr", true}},
       {{"mp3cbrbitratecom", E, false}, {"mp3minbitratecom", E, true}, {"mp3maxbitratecom", E, true},
        {"cbarmp3quality", E, true}, {"cmp3abr", E, true}, {"emp3abr", E, false}}},
      {"mp3 abr inside vbr", {}, {{"cmp3vbr", true}, {"cmp3abr", true}},
       {{"cbarmp3quality", E, false}, {"emp3abr", E, true}, {"udmp3abr", E, true}}},
      {"mp3 preset drops abr", {}, {{"cmp3vbr", true}, {"cmp3abr", true}, {"cmp3preset", true}},
       {{"cmp3abr", C, false}, {"emp3abr", E, false}, {"udmp3abr", E, false}, {"mp3presetcom", E, true}}},
      {"ogg average", {}, {{"coggaverage", true}},
       {{"coggquality", C, false}, {"cbaroggquality", E, false}, {"oggnorbitratecom", E, true},
        {"oggmaxbitratecom", E, true}}},
      {"ogg quality back", {}, {{"coggaverage", true}, {"coggquality", true}},
       {{"coggaverage", C, false}, {"cbaroggquality", E, true}, {"oggminbitratecom", E, false}}},
      {"wavpack hybrid", {}, {{"cwvcompress", true}},
       {{"cwvbit", E, true}, {"cwvsample", E, true}, {"barwvcompress", E, true}}},
      {"wavpack kbit/s", {}, {{"cwvcompress", true}, {"cwvsample", true}}, {{"barwvcompress", V, 9600}}},
      {"wavpack bit/sample", {}, {{"cwvcompress", true}, {"cwvsample", true}, {"cwvbit", true}},
       {{"barwvcompress", V, 239}}},
      {"aac file type", {}, {{"aacformatcom", 1}}, {{"aacmpegcom", E, false}}},
      {"aac file type back", {}, {{"aacformatcom", 2}, {"aacformatcom", 0}}, {{"aacmpegcom", E, true}}},
      {"aac abr", {}, {{"caacabr", true}}, {{"baraacquality", E, false}, {"baraacabr", E, true}}},
      {"aac bandwidth", {}, {{"caacbandwith", true}}, {{"baraacbandwith", E, true}}},
      {"mpc custom", {}, {{"cmpccustomset", true}}, {{"mpcpresetcom", E, false}}},
      {"mpc preset", {}, {{"cmpccustomset", true}, {"cmpcpreset", true}}, {{"mpcpresetcom", E, true}}},
      {"speex vbr", {}, {{"cspeexvbr", true}}, {{"speexbitratecom", E, false}}},
      {"speex abr", {}, {{"cspeexvbr", true}, {"cspeexabr", true}}, {{"speexbitratecom", E, true}}},
      {"speex vad keeps check marks", {{"cspeexagc", true}}, {{"cspeexvad", true}},
       {{"cspeexagc", E, true}, {"cspeexagc", C, true}, {"cspeexnr", E, true}}},
      {"speex vad off", {{"cspeexagc", true}}, {{"cspeexvad", true}, {"cspeexvad", false}},
       {{"cspeexagc", E, false}, {"cspeexagc", C, true}}},
      {"wma cbr", {}, {{"cwmavbr", true}, {"cwmacbr", true}},
       {{"wmaqualitycom", E, false}, {"wmacbrbitratecom", E, true}}},
  };
  return cases;
}

}  // namespace

class RuleTest : public OptionDialogTest {
 protected:
  void set(const Step& s) {
    QWidget* w = control(QString::fromLatin1(s.control));
    if (auto* r = qobject_cast<QRadioButton*>(w)) SetRadioChecked(r, s.value.toBool());
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(s.value.toBool());
    else if (auto* sl = qobject_cast<QSlider*>(w)) sl->setValue(s.value.toInt());
  }
  // A click changes a box only when it is enabled, as for the user.
  void act(const Step& s) {
    QWidget* w = control(QString::fromLatin1(s.control));
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      ASSERT_TRUE(b->isEnabled()) << s.control;
      if (b->isChecked() != s.value.toBool()) b->click();
    } else if (auto* sl = qobject_cast<QSlider*>(w)) {
      sl->setValue(s.value.toInt());
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
      c->setCurrentIndex(s.value.toInt());
      emit c->activated(s.value.toInt());
    }
  }
};

TEST_F(RuleTest, EnablingAndExclusionTable) {
  for (const RuleCase& rc : RuleCases()) {
    dlg = std::make_unique<Tfrmoption>(&link);
    dlg->LoadSettings();
    for (const Step& s : rc.setup) set(s);
    for (const Step& s : rc.actions) act(s);
    for (const Expect& e : rc.expects) {
      const QString name = QString::fromLatin1(e.control);
      const QVariant actual = e.prop == Prop::Checked   ? QVariant(as<QAbstractButton>(name)->isChecked())
                              : e.prop == Prop::Enabled ? QVariant(enabled(name))
                                                        : value(name);
      EXPECT_EQ(actual, e.value) << rc.name << ": " << e.control;
    }
  }
}

TEST_F(RuleTest, ValueLabels) {
  const struct {
    const char* slider;
    int position;
    const char* label;
    const char* text;
  } cases[] = {
      {"barstartdb", -42, "ldbstart", "Level Threshold:-42 db"},
      {"barslient", 7, "lslient", "Silent Length:7 Second"},
      {"barcomgain", -3, "lcomgain", "Gain:-3 db"},
      {"barcomattack", 250, "lcomattack", "Attack:2.5 ms"},
      {"barcomrelease", 300, "lcomrelease", "Release:300 ms"},
      {"barcomthreshold", -20, "lcomthreshold", "Thyreshold:-20db"},
      {"barcomratio", 4, "lcomratio", "Ratio:4"},
      {"barcompredelay", 2, "lcompredelay", "Predelay:2 ms"},
      {"baragctarget", 90, "lagctarget", "Target:0.9"},
      {"baragcquiet", 5, "lagcquiet", "Quiet:0.05"},
      {"baragcrate", 3, "lagcrate", "Rate:0.03"},
      {"baragcgain", 60, "lagcgain", "Gain:0.6 db"},
      {"baragcdelay", 20, "lagcdelay", "Delay:0.2 ms"},
      {"barfilterlow", 1234, "lfilterlow", "low Cut:12.34%"},
      {"barfilterhigh", 8000, "lfilterhigh", "High Cut:80%"},
      {"barnotchpass", 30, "lnotchpass", "Value:30%"},
      {"cbarmp3quality", 7, "lmp3quality", "Quality:7"},
      {"cbaroggquality", -150, "loggquality", "Value:-1.5"},
      {"cbaroggquality", 1000, "loggquality", "Value:10"},
      {"barwvcompress", 120, "lwvcompress", "Value:12"},
      {"baraacquality", 200, "laacquality", "Quality:200"},
      {"baraacabr", 96, "laacbitrate", "Bitrate:96 kbps"},
      {"baraacbandwith", 20000, "laacbandwith", "Value:20000 hz"},
      {"barmpcquality", 750, "lmpcquality", "Quality:7.5"},
  };
  for (const auto& c : cases) {
    as<QSlider>(c.slider)->setValue(c.position);
    EXPECT_EQ(as<QLabel>(c.label)->text(), QString::fromLatin1(c.text)) << c.slider;
  }
}

TEST_F(RuleTest, DesignCaptionsShowUntilTheFirstChange) {
  EXPECT_EQ(as<QLabel>("ldbstart")->text(), "Level Threshold:-50 db");
  EXPECT_EQ(as<QLabel>("lslient")->text(), "Silent Length:0 Seconds");
  EXPECT_EQ(as<QLabel>("lcomthreshold")->text(), "Threshold:-10 db");
  EXPECT_EQ(as<QLabel>("lfilterlow")->text(), "Low Cut:50%");
  dlg->LoadSettings();  // nothing differs from the design values
  EXPECT_EQ(as<QLabel>("lslient")->text(), "Silent Length:0 Seconds");
}

TEST_F(RuleTest, FilterLabelsSwitchBetweenHertzAndPercent) {
  click("cbandpass");
  EXPECT_EQ(as<QLabel>("lfilterlow")->text(), "low Cut:5000 hz");
  EXPECT_EQ(as<QLabel>("lfilterhigh")->text(), "High Cut:5000 hz");
  click("clowpass");
  EXPECT_EQ(as<QLabel>("lfilterlow")->text(), "low Cut:50%");
  click("chighpass");
  EXPECT_EQ(as<QLabel>("lfilterhigh")->text(), "High Cut:50%");
}

TEST_F(RuleTest, WavPackLabelFollowsTheMode) {
  click("cwvcompress");
  click("cwvsample");
  EXPECT_EQ(as<QLabel>("lwvcompress")->text(), "Value:9600");
  EXPECT_EQ(as<QSlider>("barwvcompress")->minimum(), 24);
  click("cwvbit");
  EXPECT_EQ(as<QLabel>("lwvcompress")->text(), "Value:23.9");
  EXPECT_EQ(as<QSlider>("barwvcompress")->minimum(), 20);
}

TEST_F(RuleTest, DigitEditsDropOtherKeysAndAbrIsClampedOnLeave) {
  auto* abr = as<QLineEdit>("emp3abr");
  abr->setEnabled(true);
  abr->setText("12");
  abr->setCursorPosition(2);
  auto type = [](QWidget* w, Qt::Key key, const QString& text, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
  };
  type(abr, Qt::Key_A, "a");
  type(abr, Qt::Key_Period, ".");
  type(abr, Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
  EXPECT_EQ(abr->text(), "12");
  type(abr, Qt::Key_5, "5");
  EXPECT_EQ(abr->text(), "125");
  type(abr, Qt::Key_Backspace, "\b");
  EXPECT_EQ(abr->text(), "12");
  for (const char* name : {"esplitcl", "esplitcs"}) {
    auto* e = as<QLineEdit>(name);
    e->setEnabled(true);
    e->setText("6");
    e->setCursorPosition(1);
    type(e, Qt::Key_X, "x");
    type(e, Qt::Key_0, "0");
    EXPECT_EQ(e->text(), "60") << name;
  }

  auto leave = [&] {
    QEvent ev(QEvent::Leave);
    QApplication::sendEvent(abr, &ev);
  };
  abr->setText("500");
  leave();
  EXPECT_EQ(abr->text(), "310");
  abr->setText("2");
  leave();
  EXPECT_EQ(abr->text(), "4");
  abr->setText("200");
  leave();
  EXPECT_EQ(abr->text(), "200");
  EXPECT_EQ(as<TUpDown>("udmp3abr")->position(), 200);
}

TEST_F(RuleTest, StayOnTopBoxSetsTag) {
  click("csot");
  EXPECT_EQ(dlg->Tag, 1);
  click("csot");
  EXPECT_EQ(dlg->Tag, 2);
}
