// How values are spelled in the settings file: integers (decimal or "0x" hex),
// quoted texts, and the longest text a read gives back.
#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace ini {

inline constexpr qsizetype kMaxTextLength = 2047;

// A raw stored value as text: one pair of enclosing double quotes removed,
// decoded from UTF-8 and cut to kMaxTextLength characters.
QString DecodeText(QByteArrayView raw);

// The stored form of a text. A text whose blanks at either end or enclosing
// double quotes a read would strip is put in double quotes, so it reads back
// as written. Line breaks would split the entry, so they become blanks.
QByteArray EncodeText(const QString& text);

// An optional sign and decimal digits within int range, or "0x" and up to
// eight hex digits (taken as the 32-bit pattern). Anything else: nothing.
std::optional<int> ParseInteger(QStringView text);

}  // namespace ini
