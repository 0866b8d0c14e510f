#include "dialogs/option_rules.h"

#include <algorithm>

#include "encoders/bitrate_tables.h"

int PageOfNode(int node) {
  if (node < 0 || node >= OptionNodeCount || node == DspNode) return -1;
  return node < DspNode ? node : node - 1;
}

int NodeOfPage(int page) {
  if (page < 0 || page >= OptionPageCount) return -1;
  return page < DspNode ? page : page + 1;
}

int FormatSettingsPage(int formatIndex) {
  switch (formatIndex) {
    case 1: return 8;    // MP3
    case 2: return 9;    // WMA
    case 3: return 10;   // OGG
    case 4:              // APE
    case 5:              // FLAC
    case 7: return 11;   // WV
    case 8: return 12;   // AAC
    case 9: return 13;   // MPC
    case 10: return 14;  // SPX
    case 6: return -2;   // TTA has no settings
    default: return -1;  // WAV has none either
  }
}

bool IsDigitEditChar(QChar c) {
  return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('\b');
}

QString ClampAbrText(const QString& text) {
  const QString t = text.trimmed();
  bool ok = false;
  const qlonglong n = t.toLongLong(&ok);
  // A run of digits too long for 64 bits is certainly above the maximum.
  const bool allDigits =
      !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
  if (!ok && allDigits) return QString::number(Mp3AbrMax);
  const qlonglong value = ok ? n : 0;
  if (value > Mp3AbrMax) return QString::number(Mp3AbrMax);
  if (value < Mp3AbrMin) return QString::number(Mp3AbrMin);
  return text;
}

int SplitModeFor(bool createNew, bool stop, SplitChoice choice) {
  if (!createNew && !stop) return -1;
  switch (choice) {
    case SplitChoice::Mb650:
    case SplitChoice::Mb700:
    case SplitChoice::CustomSize:
      return 1;
    case SplitChoice::Min74:
    case SplitChoice::Min80:
    case SplitChoice::CustomLength:
      return 0;
    case SplitChoice::None:
      break;
  }
  return -1;
}

qint64 CustomSplitValue(const QString& text) {
  QString digits = text.trimmed();
  if (digits.size() > CustomSplitMaxDigits) digits.truncate(CustomSplitMaxDigits);
  bool ok = false;
  const qint64 n = digits.toLongLong(&ok);
  return ok && n >= 1 ? n : 0;
}

qint64 SplitLimitFor(SplitChoice choice, const QString& customLength, const QString& customSize) {
  constexpr qint64 MB = 1048576;
  switch (choice) {
    case SplitChoice::Min74: return 4440;
    case SplitChoice::Min80: return 4800;
    case SplitChoice::CustomLength: return CustomSplitValue(customLength);
    case SplitChoice::Mb650: return 650 * MB;
    case SplitChoice::Mb700: return 700 * MB;
    case SplitChoice::CustomSize: return CustomSplitValue(customSize) * MB;
    case SplitChoice::None: break;
  }
  return 0;
}

QString ValueLabelText(const QString& prefix, int position, int divisor, const QString& suffix) {
  const QString value = divisor == 1 ? QString::number(position)
                                     : FormatEncoderValue(double(position) / divisor);
  return prefix + value + suffix;
}

QString FilterLowLabelText(bool bandPass, int position) {
  return bandPass ? ValueLabelText(QStringLiteral("low Cut:"), position, 1, QStringLiteral(" hz"))
                  : ValueLabelText(QStringLiteral("low Cut:"), position, 100, QStringLiteral("%"));
}

QString FilterHighLabelText(bool bandPass, int position) {
  return bandPass ? ValueLabelText(QStringLiteral("High Cut:"), position, 1, QStringLiteral(" hz"))
                  : ValueLabelText(QStringLiteral("High Cut:"), position, 100, QStringLiteral("%"));
}

std::optional<QString> WavPackLabelText(bool bitMode, bool kbitMode, int position) {
  if (bitMode) return ValueLabelText(QStringLiteral("Value:"), position, 10, QString());
  if (kbitMode) return ValueLabelText(QStringLiteral("Value:"), position, 1, QString());
  return std::nullopt;
}
