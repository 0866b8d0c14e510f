// This test program also serves as the program a task's service asks
// whether the task is due: `<this program> --task-due <unit>` runs the due
// check before any test starts and exits with its result.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "schedule/systemd/task_due.h"

namespace {

std::vector<std::string> CommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  return args;
}

const bool kRanAsDueCheck = [] {
  const std::vector<std::string> args = CommandLine();
  if (args.size() == 3 && args[1] == "--task-due")
    std::exit(schedule::TaskDueMain(QString::fromStdString(args[2])));
  return false;
}();

}  // namespace
