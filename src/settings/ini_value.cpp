#include "settings/ini_value.h"

#include <limits>

namespace ini {
namespace {

bool EnclosedInQuotes(QByteArrayView raw) {
  return raw.size() >= 2 && raw.front() == '"' && raw.back() == '"';
}

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

}  // namespace

QString DecodeText(QByteArrayView raw) {
  if (EnclosedInQuotes(raw)) raw = raw.sliced(1, raw.size() - 2);
  // Each character takes at most four bytes; decoding no more than needed
  // keeps a read of a huge damaged value cheap.
  const qsizetype enough = 4 * kMaxTextLength + 4;
  QString text = QString::fromUtf8(raw.first(qMin(raw.size(), enough)));
  if (text.size() > kMaxTextLength) {
    text.truncate(kMaxTextLength);
    if (text.back().isHighSurrogate()) text.chop(1);  // never half a character
  }
  return text;
}

QByteArray EncodeText(const QString& text) {
  QString clean = text;
  clean.replace(u'\r', u' ').replace(u'\n', u' ');
  QByteArray bytes = clean.toUtf8();
  const bool blankAtEnds = !clean.isEmpty() && (IsBlank(clean.front()) || IsBlank(clean.back()));
  if (blankAtEnds || EnclosedInQuotes(bytes)) bytes = '"' + bytes + '"';
  return bytes;
}

std::optional<int> ParseInteger(QStringView text) {
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    const QStringView digits = text.sliced(2);
    if (digits.size() > 8) return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + quint32(d);
    }
    return static_cast<int>(value);
  }
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  qint64 value = 0;
  for (; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u < u'0' || u > u'9') return std::nullopt;
    value = value * 10 + (u - u'0');
    if (value > qint64(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace ini
