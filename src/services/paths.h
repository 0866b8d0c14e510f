// Folder helpers shared by start-up and naming. The separator is "/".
#pragma once

#include <QString>

enum class SpecialFolder { Documents, Music };

// The folder's path, or empty when the desktop does not know it.
QString SpecialFolderPath(SpecialFolder folder);
// add: append "/" unless the path ends with it; !add: remove one trailing "/".
// An empty path comes back unchanged.
QString WithTrailingBackslash(const QString& path, bool add);
// Creates every missing level; true when the folder exists afterwards.
bool ForceFolders(const QString& path);
// The folder of the running program, with a trailing "/".
QString ExeFolder();
