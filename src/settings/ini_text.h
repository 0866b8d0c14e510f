// Lookup and single-value edits on the raw bytes of an INI file. Works on the
// bytes so that every line the edit does not touch stays exactly as it was,
// whatever its encoding, spacing or damage.
#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace ini {

// The raw value of the first key of that name in the first section of that
// name (blanks around it removed, quotes still on), or nothing when absent.
std::optional<QByteArrayView> FindValue(QByteArrayView text, const QString& section,
                                        const QString& key);

// text with the key set to value: the existing line's value replaced, or a new
// line at the end of the section (before its trailing blank lines), or a new
// section at the end. value must hold no line break.
QByteArray WithValue(QByteArrayView text, const QString& section, const QString& key,
                     const QByteArray& value);

}  // namespace ini
