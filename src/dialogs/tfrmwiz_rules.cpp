#include "dialogs/tfrmwiz_rules.h"

#include <QDir>
#include <QFileInfo>

#include "audio/zaudio.h"

bool SourceSuitsMode(int mode, std::uint32_t inputFlags) {
  const std::uint32_t type = inputFlags & zaudio::INPUT_TYPE_MASK;
  switch (mode) {
    case ModeNormal:
      return true;
    case ModeMicrophone:
      return type == zaudio::INPUT_TYPE_MIC;
    case ModePlayer:
    case ModeInternet:
      return type == zaudio::INPUT_TYPE_ANALOG || type == zaudio::INPUT_TYPE_UNDEF;
    case ModeLineIn:
      return type == zaudio::INPUT_TYPE_LINE;
    default:
      return false;
  }
}

int FormatOfMode(int mode) {
  switch (mode) {
    case ModeMicrophone:
      return 10;  // SPX
    case ModePlayer:
    case ModeInternet:
      return 1;  // MP3
    default:
      return -1;
  }
}

QString WithFormatExtension(const QString& name, const QString& formatName) {
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  const int slash = name.lastIndexOf(QLatin1Char('/'));
  return (dot > slash ? name.left(dot) : name) + QLatin1Char('.') + formatName.toLower();
}

WizardOutputName ResolveWizardOutputName(const QString& text, const QString& outputFolder) {
  WizardOutputName result;
  const QString name = text.trimmed();
  if (name.isEmpty()) {
    result.refusal = QStringLiteral("Please enter the name of the file to record to.");
    return result;
  }
  const QString path = QDir::cleanPath(QDir(outputFolder).absoluteFilePath(name));
  if (name.endsWith(QLatin1Char('/')) || QFileInfo(path).isDir()) {
    result.refusal = QStringLiteral("%1 is a folder. Please enter the name of a file to record to.").arg(name);
    return result;
  }
  result.path = path;
  return result;
}

QString EnabledText(bool checked) { return checked ? QStringLiteral("Enabled") : QStringLiteral("Disable"); }

QStringList WizardSummaryLines(const WizardSummaryValues& v) {
  const auto rule = [](int before, const char* title, int after) {
    return QString(before, QLatin1Char('-')) + QLatin1String(title) + QString(after, QLatin1Char('-'));
  };
  return {QStringLiteral("Wizard Information:"),
          rule(29, "Input Settings", 27),
          QStringLiteral("Input Device:") + v.device,
          QStringLiteral("Input Source:") + v.source,
          QStringLiteral("Input Volume:") + QString::number(v.volume),
          QStringLiteral("Input Channel:") + v.channel,
          QStringLiteral("Input Sample Rate:") + v.sampleRate,
          QStringLiteral("Input Bits Pre Sample:") + v.bits,
          rule(29, "Output Settings", 26),
          QStringLiteral("Output Format:") + v.format,
          QStringLiteral("Output Name:") + v.outputName,
          QStringLiteral("DAR Recording Mode:") + EnabledText(v.dar),
          QStringLiteral("Compressor:") + EnabledText(v.compressor),
          QStringLiteral("Automatic Gain Control:") + EnabledText(v.agc),
          rule(34, "Over", 33)};
}
