// Running a program to its end with standard input from a file, capturing
// what it writes, as the recorder runs the encoders in bin/.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tools_av {

struct RunResult {
  bool started = false;
  bool ended = false;  // false when it had to be killed at the deadline
  int exitCode = -1;   // -1 unless it exited by itself
  std::string out;
  std::string err;
  std::string lastErrLine() const;  // the last non-empty line of err
  std::string describe() const;     // for failure messages
};

// Runs `program` with `args` (already split), LC_ALL=C and stdin from
// `input` (/dev/null when empty). Killed after a deadline generous enough
// for a busy machine.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
              const std::filesystem::path& input = {});

// bin/<name> of this build.
std::string BinProgram(const std::string& name);

}  // namespace tools_av
