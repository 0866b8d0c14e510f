// Running a program to its end the way the recorder runs the encoders in
// bin/: arguments already split, no shell, LC_ALL=C, standard input from a
// file.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zovedu_test {

struct RunResult {
  bool ended = false;  // false when it did not start or had to be killed at the deadline
  int exitCode = -1;   // -1 unless it exited by itself
  std::string out, err;
  std::string lastErrLine() const;  // the last non-empty line of err
  std::string describe() const;     // for failure messages
};

// Environment changes on top of ours: a value sets the variable, nothing
// removes it. Without changes LC_ALL=C, as the recorder sets it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& input = "/dev/null",
                     const EnvChanges& env = {{"LC_ALL", "C"}});

// A command line split the way the recorder splits it: blanks separate,
// double quotes group and are removed, no other character has a meaning.
std::vector<std::string> SplitCommandLine(const std::string& line);

// bin/<name> of this build, where the recorder finds its encoders.
std::string Bin(const std::string& name);

}  // namespace zovedu_test
