// Starting the additional program a scheduled run names: it runs on its own,
// not waited for by the recording.
#pragma once

#include <QString>
#include <optional>

namespace schedule {

// Why the program a task file names may not be run: the file, or the folder
// it is in, is not the user's own, or others may change it (anyone could
// then make the next scheduled run start a program of their choosing).
// nullopt when the file is the user's alone.
std::optional<QString> UntrustedTaskFile(const QString& path);

// Starts app (the whole text is the program's path; looked up on PATH when it
// holds no "/") without a shell, with par as its one argument when par is not
// empty. The child is reaped when it ends. False when it cannot be started.
bool StartAdditionalProgram(const QString& app, const QString& par);

}  // namespace schedule
