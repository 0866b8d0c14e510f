// Byte counts as the program shows them: the recordings list's sizes and the
// live size while recording.
#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

// 0..1024 "n Bytes", up to 1048576 "n div 1024 KB", up to 1073741824 whole
// megabytes "MB", above that whole gigabytes "GB"; plain decimal digits.
// withoutUnits leaves the unit (and its blank) off. A negative count, which
// no file has, shows as 0.
QString FormatSizeText(qint64 bytes, bool withoutUnits = false);

// FormatSizeText (with units) of the file's 64-bit size; a relative path is
// taken from the current folder. Any kind of file counts, a folder too. Empty
// when nothing of that name exists.
QString FileSizeText(const QString& path);

// The size while recording: "n Bytes" up to 1024, "n div 1024 KB" up to
// 1048576, above that the first four characters of the shortest decimal text
// of the megabytes ("1.5", "12.3", "123.", "1234") and " MB". The decimal
// separator is the locale's; digits stay ASCII and ungrouped. A negative
// count shows as 0.
QString RecordingSizeText(qint64 bytes, const QLocale& locale = QLocale());
