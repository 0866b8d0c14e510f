// Why a recording could not start or go on, in the words the system gave:
// added below the program's own message, so that "Couldn't use WAVE Encoder"
// says that the folder is read-only or the name too long.
#pragma once

#include <QString>

// The cause of a capture that the audio library could not start, from its
// error code; empty when the code says nothing more.
QString CaptureFailureCause(int libraryError);

// Why a file cannot be written at path, found by trying: the folder is
// missing, read-only or full, the name too long, permission denied. Empty
// when the file could be written after all. Leaves nothing behind.
QString WriteFailureCause(const QString& path);

// True when the file system that holds path has (almost) no room left.
bool VolumeFull(const QString& path);

// What the system says for an errno, starting lower-case ("no space left on
// device").
QString SystemErrorText(int error);

// The message, and the cause on a line of its own when there is one.
QString WithCause(const QString& message, const QString& cause);
