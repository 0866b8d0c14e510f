// A file that was deleted while this program, or an encoder it started, still
// writes it: the data lives on behind the open descriptor until it is closed.
// Opening it again through /proc keeps it alive beyond that, so that what was
// recorded can be copied back once the writer has finished.
#pragma once

#include <QString>

// A read descriptor for the deleted file that was at path, held by this
// process or one it started (at any depth); -1 when none holds it. The
// caller closes it.
int OpenDeletedFile(const QString& path);

// Copies everything behind fd (from its start) into a new file at path,
// keeping nothing of a failed copy. False when it cannot.
bool CopyOutOf(int fd, const QString& path);
