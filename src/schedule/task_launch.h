// Starting the additional program a scheduled run names: it runs on its own,
// not waited for by the recording.
#pragma once

#include <QString>

namespace schedule {

// Starts app (the whole text is the program's path; looked up on PATH when it
// holds no "/") without a shell, with par as its one argument when par is not
// empty. The child is reaped when it ends. False when it cannot be started.
bool StartAdditionalProgram(const QString& app, const QString& par);

}  // namespace schedule
