// Replacing a file so that readers and crashes only ever see the old or the
// new content, never a truncated one.
#pragma once

#include <QByteArray>
#include <QString>

// Writes data to a temporary file in the target's folder, syncs it to disk and
// renames it over path. False when any step fails; the old file then stays.
bool ReplaceFileAtomically(const QString& path, const QByteArray& data);
