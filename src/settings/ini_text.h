// Lookup and single-value edits on the raw bytes of an INI file. Works on the
// bytes so that every line the edit does not touch stays exactly as it was,
// whatever its encoding, spacing or damage.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace ini {

// The raw value of the first key of that name in the first section of that
// name (blanks around it removed, quotes still on), or nothing when absent.
std::optional<QByteArrayView> FindValue(QByteArrayView text, const QString& section,
                                        const QString& key);

// A section header of a text: its name as written (blanks around it removed)
// and its lines, from the header line to the next header or the end.
struct SectionHeader {
  QByteArrayView name;
  qsizetype begin = 0, end = 0;
};

// Every section header of the text, in order.
std::vector<SectionHeader> SectionHeaders(QByteArrayView text);

// Whether a section name or key as written is `wanted`, as lookups compare
// them: case-insensitively.
bool NameMatches(QByteArrayView name, const QString& wanted);

// text with the key set to value: the existing line's value replaced, or a new
// line at the end of the section (before its trailing blank lines), or a new
// section at the end. value must hold no line break.
QByteArray WithValue(QByteArrayView text, const QString& section, const QString& key,
                     const QByteArray& value);

}  // namespace ini
