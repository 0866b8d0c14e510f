// Widget-free rules of the recording wizard: which source and format a record
// mode asks for, the output name's extension and checks, and the summary.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The record modes, in the order of the "Record Mode" group.
enum WizardRecordMode { ModeNormal = 0, ModeMicrophone = 1, ModePlayer = 2, ModeInternet = 3, ModeLineIn = 4 };

// True when a capture device whose input 0 has these flags suits the mode;
// the normal mode takes any device.
bool SourceSuitsMode(int mode, std::uint32_t inputFlags);

// The format a mode chooses (index in the format list), or -1 to keep the chosen one.
int FormatOfMode(int mode);

// The name with "." and the lower-cased format name as its extension
// (replacing one after the last "/", or added).
QString WithFormatExtension(const QString& name, const QString& formatName);

// The file the wizard records to: a relative name is taken inside the output
// folder. An empty name or one naming a folder gives the reason instead.
struct WizardOutputName {
  QString path;    // absolute, when accepted
  QString refusal; // what the user is told, when not
};
WizardOutputName ResolveWizardOutputName(const QString& text, const QString& outputFolder);

// "Enabled" or "Disable".
QString EnabledText(bool checked);

struct WizardSummaryValues {
  QString device, source;
  int volume = 0;
  QString channel, sampleRate, bits, format, outputName;
  bool dar = false, compressor = false, agc = false;
};
// The summary page's lines, each label directly followed by its value.
QStringList WizardSummaryLines(const WizardSummaryValues& v);
