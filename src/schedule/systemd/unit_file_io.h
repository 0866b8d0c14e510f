// Small file operations of the unit store: whole files read, and written
// so that a reader never sees half a file.
#pragma once

#include <optional>
#include <string>

namespace schedule {

std::optional<std::string> ReadWholeFile(const std::string& path);
// Temporary file beside it, fsync, rename over it, fsync of the folder.
// false when any step fails (the temporary file is then removed).
bool WriteFileAtomically(const std::string& path, const std::string& contents);

}  // namespace schedule
