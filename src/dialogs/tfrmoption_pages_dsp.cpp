// Pages 4-7: compressor, automatic gain control, filters and hot keys.
#include <QHBoxLayout>
#include <QStackedWidget>

#include "dialogs/option_widgets.h"
#include "dialogs/tfrmoption.h"
#include "settings/hotkey_sections.h"

using namespace optionui;

namespace {

// A value label above its slider, in two grid cells.
void AddSliderRow(QGridLayout* grid, int row, int column, QLabel* label, QSlider* slider) {
  grid->addWidget(label, row * 2, column);
  grid->addWidget(slider, row * 2 + 1, column);
}

}  // namespace

void Tfrmoption::BuildCompressorPage() {
  compresheet = AddPage("compresheet", QStringLiteral("Compressor"));
  auto* page = Column(compresheet);
  ccompressor = Check("ccompressor", QStringLiteral("Enable Compressor (Requires DirectX 8 or above) "));
  page->addWidget(ccompressor);
  auto* settings = Group(QStringLiteral("Compressor Settings"));
  auto* grid = Grid(settings);
  lcomgain = Label("lcomgain", QStringLiteral("Gain:0 db"));
  barcomgain = Slider("barcomgain", -60, 60, 0);
  lcomattack = Label("lcomattack", QStringLiteral("Attack:0.01 ms"));
  barcomattack = Slider("barcomattack", 1, 50000, 1);
  lcomrelease = Label("lcomrelease", QStringLiteral("Release:50 ms"));
  barcomrelease = Slider("barcomrelease", 0, 3000, 50);
  lcomthreshold = Label("lcomthreshold", QStringLiteral("Threshold:-10 db"));
  barcomthreshold = Slider("barcomthreshold", -60, 0, -10);
  lcomratio = Label("lcomratio", QStringLiteral("Ratio:10"));
  barcomratio = Slider("barcomratio", 1, 100, 10);
  lcompredelay = Label("lcompredelay", QStringLiteral("Predelay:0 ms"));
  barcompredelay = Slider("barcompredelay", 0, 4, 0);
  AddSliderRow(grid, 0, 0, lcomgain, barcomgain);
  AddSliderRow(grid, 0, 1, lcomattack, barcomattack);
  AddSliderRow(grid, 1, 0, lcomrelease, barcomrelease);
  AddSliderRow(grid, 1, 1, lcomthreshold, barcomthreshold);
  AddSliderRow(grid, 2, 0, lcomratio, barcomratio);
  AddSliderRow(grid, 2, 1, lcompredelay, barcompredelay);
  page->addWidget(settings);
  page->addStretch();
}

void Tfrmoption::BuildAgcPage() {
  agcsheet = AddPage("agcsheet", QStringLiteral("AGC"));
  auto* page = Column(agcsheet);
  cagc = Check("cagc", QStringLiteral("Enable Automatic Gain Control"));
  page->addWidget(cagc);
  auto* settings = Group(QStringLiteral("AGC Settings"));
  auto* grid = Grid(settings);
  lagctarget = Label("lagctarget", QStringLiteral("Target:0.93"));
  baragctarget = Slider("baragctarget", 1, 100, 93);
  lagcquiet = Label("lagcquiet", QStringLiteral("Quiet:0.02"));
  baragcquiet = Slider("baragcquiet", 1, 100, 2);
  lagcrate = Label("lagcrate", QStringLiteral("Rate:0.01"));
  baragcrate = Slider("baragcrate", 1, 100, 1);
  lagcgain = Label("lagcgain", QStringLiteral("Gain:1 db"));
  baragcgain = Slider("baragcgain", 1, 100, 100);
  lagcdelay = Label("lagcdelay", QStringLiteral("Delay:0.5 ms"));
  baragcdelay = Slider("baragcdelay", 1, 100, 50);
  AddSliderRow(grid, 0, 0, lagctarget, baragctarget);
  AddSliderRow(grid, 0, 1, lagcquiet, baragcquiet);
  AddSliderRow(grid, 1, 0, lagcrate, baragcrate);
  AddSliderRow(grid, 1, 1, lagcgain, baragcgain);
  AddSliderRow(grid, 2, 0, lagcdelay, baragcdelay);
  page->addWidget(settings);
  page->addStretch();
}

void Tfrmoption::BuildFiltersPage() {
  filtersheet = AddPage("filtersheet", QStringLiteral("Filters"));
  auto* page = Column(filtersheet);
  auto* type = Group(QStringLiteral("Filter Type"));
  auto* grid = Grid(type);
  clowpass = Check("clowpass", QStringLiteral("Low Pass"));
  chighpass = Check("chighpass", QStringLiteral("High Pass"));
  cbandpass = Check("cbandpass", QStringLiteral("Band Pass"));
  lfilterlow = Label("lfilterlow", QStringLiteral("Low Cut:50%"));
  barfilterlow = Slider("barfilterlow", 0, 10000, 5000);
  lfilterhigh = Label("lfilterhigh", QStringLiteral("High Cut:50%"));
  barfilterhigh = Slider("barfilterhigh", 0, 10000, 5000);
  grid->addWidget(clowpass, 0, 0);
  grid->addWidget(chighpass, 0, 1);
  grid->addWidget(cbandpass, 0, 2);
  grid->addWidget(lfilterlow, 1, 0, 1, 3);
  grid->addWidget(barfilterlow, 2, 0, 1, 3);
  grid->addWidget(lfilterhigh, 3, 0, 1, 3);
  grid->addWidget(barfilterhigh, 4, 0, 1, 3);
  page->addWidget(type);

  auto* notchRow = new QHBoxLayout;
  cnotchpass = Check("cnotchpass", QStringLiteral("Enable Notch Pass "));
  barnotchpass = Slider("barnotchpass", 0, 100, 50);
  lnotchpass = Label("lnotchpass", QStringLiteral("Value:50%"));
  notchRow->addWidget(cnotchpass);
  notchRow->addWidget(barnotchpass, 1);
  notchRow->addWidget(lnotchpass);
  page->addLayout(notchRow);
  for (QWidget* w : {barfilterlow, barfilterhigh, barnotchpass}) w->setEnabled(false);
  page->addStretch();
}

void Tfrmoption::BuildHotkeyPage() {
  hotkeysheet = AddPage("hotkeysheet", QStringLiteral("Hot Key"));
  auto* page = Column(hotkeysheet);
  chotkey = Check("chotkey", QStringLiteral("Enable Hot Key"), true);
  page->addWidget(chotkey);
  auto* settings = Group(QStringLiteral("Settings"));
  auto* grid = Grid(settings);
  cobaction = Combo("cobaction",
                    {QStringLiteral("Start Recording"), QStringLiteral("Pause Recording"),
                     QStringLiteral("Stop Recording")},
                    0);
  QStringList keys;
  for (int k = 0; k < hotkeys::kKeyCount; ++k) keys << hotkeys::KeyName(k);
  cboHotkey = Combo("cboHotkey", keys, 36);
  keyctrl = Check("keyctrl", QStringLiteral("Ctrl"));
  keyshift = Check("keyshift", QStringLiteral("Shift"));
  keyalt = Check("keyalt", QStringLiteral("Alt"), true);
  grid->addWidget(Text(QStringLiteral("Action:")), 0, 0);
  grid->addWidget(cobaction, 0, 1, 1, 3);
  grid->addWidget(Text(QStringLiteral("Normal key:")), 1, 0);
  grid->addWidget(cboHotkey, 1, 1, 1, 3);
  grid->addWidget(keyctrl, 2, 1);
  grid->addWidget(keyshift, 2, 2);
  grid->addWidget(keyalt, 2, 3);
  page->addWidget(settings);
  page->addStretch();
}
