// Command lines of encoding programs: splitting them into arguments and
// finding the program. Nothing goes through a shell.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zaudio {

// Blanks (spaces, tabs) separate arguments; double quotes group blanks into an
// argument and are removed. There are no other escapes. Nothing when the line
// holds no argument or leaves a quote open.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

// The folder of the running executable; empty if it cannot be found out.
std::string ExecutableDir();

// The executable file `program` names: an absolute path as it is, a relative
// path with a "/" below `exeDir` (so "bin/lame" is the lame that ships with
// us), a bare name in the first folder of the PATH-style `searchPath` that
// holds one (empty entries are skipped). Nothing when there is no such file.
std::optional<std::string> ResolveProgram(const std::string& program, const std::string& exeDir,
                                          std::string_view searchPath);

}  // namespace zaudio
