// Enabling and exclusion rules and the value labels of the options dialog.
//
// Check boxes run their rules on every change of state (a user click or a
// value set by the settings), radio buttons when they become checked, sliders
// on every position change; a list selection set by the program runs nothing,
// so lists react only to the user's choice (activated).
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "services/app_error.h"
#include "services/message_service.h"

namespace {

// Runs `rule` whenever the radio button becomes checked.
template <class F>
void OnChecked(QAbstractButton* button, QObject* context, F rule) {
  QObject::connect(button, &QAbstractButton::toggled, context, [rule](bool on) {
    if (on) rule();
  });
}

}  // namespace

void SetRadioChecked(QRadioButton* button, bool checked) {
  if (button->isChecked() == checked) return;
  QButtonGroup* group = button->group();
  if (checked || !group || !group->exclusive()) {
    button->setChecked(checked);
    return;
  }
  group->setExclusive(false);
  button->setChecked(false);
  group->setExclusive(true);
}

void Tfrmoption::ConnectRules() {
  // DAR: the three silence actions exclude each other; "new" needs a length.
  OnChecked(cslientpause, this, [this] {
    cslientnew->setChecked(false);
    cslientstop->setChecked(false);
  });
  OnChecked(cslientstop, this, [this] {
    cslientpause->setChecked(false);
    cslientnew->setChecked(false);
  });
  connect(cslientnew, &QCheckBox::toggled, this, [this] {
    if (barslient->value() == 0) cslientnew->setChecked(false);
    if (cslientnew->isChecked()) {
      cslientpause->setChecked(false);
      cslientstop->setChecked(false);
    }
  });
  connect(barslient, &QSlider::valueChanged, this, [this](int v) {
    if (v == 0) cslientnew->setChecked(false);
  });

  // Output name rule and its preview.
  connect(cprefix, &QCheckBox::toggled, this, [this](bool on) {
    eprefix->setEnabled(on);
    UpdateNamePreview();
  });
  connect(cdatatime, &QCheckBox::toggled, this, [this](bool on) {
    comdatatime->setEnabled(on);
    UpdateNamePreview();
  });
  connect(caiu, &QCheckBox::toggled, this, &Tfrmoption::UpdateNamePreview);
  connect(eprefix, &QLineEdit::textChanged, this, &Tfrmoption::UpdateNamePreview);
  connect(comdatatime, &QComboBox::currentIndexChanged, this, &Tfrmoption::UpdateNamePreview);
  connect(SpeedButton1, &QToolButton::clicked, this, &Tfrmoption::OnFolderButton);

  // Misc.
  connect(csot, &QCheckBox::toggled, this, [this](bool on) { Tag = on ? 1 : 2; });
  connect(cadd, &QCheckBox::toggled, this, [this](bool on) {
    cplay->setEnabled(on);
    if (!on) cplay->setChecked(false);
  });
  connect(cmintotray, &QCheckBox::toggled, this, [this](bool on) {
    cshowtime->setEnabled(on);
    if (!on) cshowtime->setChecked(false);
  });

  // Split.
  connect(csplitnew, &QCheckBox::toggled, this, [this] { ApplySplitBoxRule(csplitnew, csplitstop); });
  connect(csplitstop, &QCheckBox::toggled, this, [this] { ApplySplitBoxRule(csplitstop, csplitnew); });
  for (QRadioButton* r : {csplit74, csplit80, csplit650, csplit700, csplitcl, csplitcs})
    OnChecked(r, this, [this] { ApplySplitRadioRule(); });

  // Filters: low, high and band pass exclude each other.
  OnChecked(clowpass, this, [this] {
    chighpass->setChecked(false);
    cbandpass->setChecked(false);
    barfilterlow->setEnabled(true);
    barfilterhigh->setEnabled(false);
    UpdateFilterLabels(true, false);
  });
  OnChecked(chighpass, this, [this] {
    clowpass->setChecked(false);
    cbandpass->setChecked(false);
    barfilterlow->setEnabled(false);
    barfilterhigh->setEnabled(true);
    UpdateFilterLabels(false, true);
  });
  OnChecked(cbandpass, this, [this] {
    clowpass->setChecked(false);
    chighpass->setChecked(false);
    barfilterlow->setEnabled(true);
    barfilterhigh->setEnabled(true);
    UpdateFilterLabels(true, true);
  });
  connect(cnotchpass, &QCheckBox::toggled, barnotchpass, &QWidget::setEnabled);

  // Hot keys.
  connect(chotkey, &QCheckBox::toggled, this, &Tfrmoption::OnChotkey);
  // A hotkey change is written at once; a failing write is reported here.
  auto saveHotkey = [this] {
    try {
      SaveHotkeyOfAction();
    } catch (const EAppError& e) {
      ShowAppError(e.text());
    }
  };
  connect(cboHotkey, &QComboBox::activated, this, saveHotkey);
  for (QCheckBox* b : {keyctrl, keyshift, keyalt}) connect(b, &QCheckBox::toggled, this, saveHotkey);
  connect(cobaction, &QComboBox::activated, this, &Tfrmoption::LoadHotkeyOfAction);
  connect(PageControl1, &QStackedWidget::currentChanged, this, &Tfrmoption::OnPageShown);

  // MP3.
  for (QRadioButton* r : {cmp3preset, cmp3cbr, cmp3vbr})
    OnChecked(r, this, [this] { ApplyMp3RadioRule(); });
  connect(cmp3abr, &QCheckBox::toggled, this, [this](bool on) {
    if (cmp3vbr->isChecked()) cbarmp3quality->setEnabled(!on);
    emp3abr->setEnabled(on);
    udmp3abr->setEnabled(on);
  });

  // WMA: every change of mode, channels or codec rebuilds the rate lists.
  OnChecked(cwmacbr, this, [this] { OnWmaRadio(true); });
  OnChecked(cwmavbr, this, [this] { OnWmaRadio(false); });
  connect(wmachannelcom, &QComboBox::activated, this, &Tfrmoption::FillWmaRateLists);
  connect(wmacodeccom, &QComboBox::activated, this, &Tfrmoption::FillWmaRateLists);

  // OGG: quality and average bitrate are the two sides of one choice.
  connect(coggquality, &QCheckBox::toggled, this, [this](bool on) {
    coggaverage->setChecked(!on);
    ApplyOggEnabling();
  });
  connect(coggaverage, &QCheckBox::toggled, this, [this](bool on) {
    coggquality->setChecked(!on);
    ApplyOggEnabling();
  });

  // WavPack hybrid mode.
  connect(cwvcompress, &QCheckBox::toggled, this, [this](bool on) {
    cwvbit->setEnabled(on);
    cwvsample->setEnabled(on);
    barwvcompress->setEnabled(on);
  });
  OnChecked(cwvbit, this, [this] {
    barwvcompress->setRange(WvBitMin, WvBitMax);
    barwvcompress->setValue(WvBitMax);
    UpdateWavPackLabel();
  });
  OnChecked(cwvsample, this, [this] {
    barwvcompress->setRange(WvKbitMin, WvKbitMax);
    barwvcompress->setValue(WvKbitMax);
    UpdateWavPackLabel();
  });

  // AAC.
  connect(aacformatcom, &QComboBox::activated, this,
          [this](int index) { aacmpegcom->setEnabled(index == 0); });
  OnChecked(caacvbr, this, [this] { ApplyAacRadioRule(); });
  OnChecked(caacabr, this, [this] { ApplyAacRadioRule(); });
  connect(caacbandwith, &QCheckBox::toggled, baraacbandwith, &QWidget::setEnabled);

  // MPC: the preset list follows its radio button both ways, so that choosing
  // the custom quality leaves no enabled preset list behind.
  connect(cmpcpreset, &QRadioButton::toggled, mpcpresetcom, &QWidget::setEnabled);

  // Speex.
  for (QRadioButton* r : {cspeexcbr, cspeexabr, cspeexvbr})
    OnChecked(r, this, [this] { speexbitratecom->setEnabled(!cspeexvbr->isChecked()); });
  connect(cspeexvad, &QCheckBox::toggled, this, [this](bool on) {
    cspeexagc->setEnabled(on);
    cspeexnr->setEnabled(on);
  });
}

void Tfrmoption::ConnectLabels() {
  struct Plain {
    QSlider* slider;
    QLabel* label;
    const char* prefix;
    int divisor;
    const char* suffix;
  };
  const Plain plain[] = {
      {barstartdb, ldbstart, "Level Threshold:", 1, " db"},
      {barslient, lslient, "Silent Length:", 1, " Second"},
      {barcomgain, lcomgain, "Gain:", 1, " db"},
      {barcomattack, lcomattack, "Attack:", 100, " ms"},
      {barcomrelease, lcomrelease, "Release:", 1, " ms"},
      {barcomthreshold, lcomthreshold, "Thyreshold:", 1, "db"},
      {barcomratio, lcomratio, "Ratio:", 1, ""},
      {barcompredelay, lcompredelay, "Predelay:", 1, " ms"},
      {baragctarget, lagctarget, "Target:", 100, ""},
      {baragcquiet, lagcquiet, "Quiet:", 100, ""},
      {baragcrate, lagcrate, "Rate:", 100, ""},
      {baragcgain, lagcgain, "Gain:", 100, " db"},
      {baragcdelay, lagcdelay, "Delay:", 100, " ms"},
      {barnotchpass, lnotchpass, "Value:", 1, "%"},
      {cbarmp3quality, lmp3quality, "Quality:", 1, ""},
      {cbaroggquality, loggquality, "Value:", 100, ""},
      {baraacquality, laacquality, "Quality:", 1, ""},
      {baraacabr, laacbitrate, "Bitrate:", 1, " kbps"},
      {baraacbandwith, laacbandwith, "Value:", 1, " hz"},
      {barmpcquality, lmpcquality, "Quality:", 100, ""},
  };
  for (const Plain& p : plain) {
    connect(p.slider, &QSlider::valueChanged, this,
            [label = p.label, prefix = QString::fromLatin1(p.prefix), divisor = p.divisor,
             suffix = QString::fromLatin1(p.suffix)](int v) {
              label->setText(ValueLabelText(prefix, v, divisor, suffix));
            });
  }
  connect(barfilterlow, &QSlider::valueChanged, this, [this] { UpdateFilterLabels(true, false); });
  connect(barfilterhigh, &QSlider::valueChanged, this, [this] { UpdateFilterLabels(false, true); });
  connect(barwvcompress, &QSlider::valueChanged, this, &Tfrmoption::UpdateWavPackLabel);
}

void Tfrmoption::OnPageShown(int page) {
  if (page == 1) UpdateNamePreview();
  if (page == 7) LoadStartHotkey();
}

void Tfrmoption::ApplySplitBoxRule(QCheckBox* self, QCheckBox* other) {
  if (self->isChecked()) other->setChecked(false);
  if (!other->isChecked()) {
    for (QRadioButton* r : {csplit74, csplit80, csplit650, csplit700, csplitcl, csplitcs})
      r->setEnabled(self->isChecked());
  }
  ApplySplitRadioRule();
}

void Tfrmoption::ApplySplitRadioRule() {
  esplitcl->setEnabled(false);
  esplitcs->setEnabled(false);
  if (csplitnew->isChecked() || csplitstop->isChecked()) {
    if (csplitcl->isChecked()) esplitcl->setEnabled(true);
    if (csplitcs->isChecked()) esplitcs->setEnabled(true);
  }
}

void Tfrmoption::ApplyMp3RadioRule() {
  const bool vbr = cmp3vbr->isChecked();
  mp3cbrbitratecom->setEnabled(cmp3cbr->isChecked());
  for (QWidget* w : std::initializer_list<QWidget*>{mp3minbitratecom, mp3maxbitratecom,
                                                    cbarmp3quality, cmp3abr})
    w->setEnabled(vbr);
  if (!vbr) {
    cmp3abr->setChecked(false);
    emp3abr->setEnabled(false);
    udmp3abr->setEnabled(false);
  }
  mp3presetcom->setEnabled(cmp3preset->isChecked());
}

void Tfrmoption::ApplyOggEnabling() {
  cbaroggquality->setEnabled(coggquality->isChecked());
  for (QComboBox* c : {oggnorbitratecom, oggminbitratecom, oggmaxbitratecom})
    c->setEnabled(coggaverage->isChecked());
}

void Tfrmoption::ApplyAacRadioRule() {
  baraacquality->setEnabled(caacvbr->isChecked());
  baraacabr->setEnabled(caacabr->isChecked());
}

void Tfrmoption::OnWmaRadio(bool cbr) {
  wmaqualitycom->setEnabled(!cbr);
  wmacbrbitratecom->setEnabled(cbr);
  FillWmaRateLists();
}

void Tfrmoption::OnChotkey(bool checked) {
  if (checked)
    link_->ReinstallHotkeys();
  else
    link_->ReleaseHotkeys();
}

void Tfrmoption::UpdateFilterLabels(bool low, bool high) {
  const bool band = cbandpass->isChecked();
  if (low) lfilterlow->setText(FilterLowLabelText(band, barfilterlow->value()));
  if (high) lfilterhigh->setText(FilterHighLabelText(band, barfilterhigh->value()));
}

void Tfrmoption::UpdateWavPackLabel() {
  if (auto text = WavPackLabelText(cwvbit->isChecked(), cwvsample->isChecked(), barwvcompress->value()))
    lwvcompress->setText(*text);
}

void Tfrmoption::UpdateNamePreview() { lsname->setText(NextOutputName(false, 1)); }
