#include "schedule/task_run_state.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace schedule {
namespace {

std::string StatePath(const std::string& taskId) { return RunStateFolder() + "/" + taskId; }

// A task id names one file in the folder.
bool ValidId(const std::string& taskId) {
  return !taskId.empty() && taskId != "." && taskId != ".." && taskId.find('/') == std::string::npos;
}

// Creates the folder and any missing parent, new ones readable only by us.
bool MakeFolders(const std::string& folder) {
  for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    const std::string part = folder.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st{};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

template <typename T>
bool ParseNumber(const std::string& text, T& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool ParseLine(const std::string& line, TaskRunState& state) {
  const std::size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
  long long number = 0;
  if (key == "bootId") {
    state.bootId = value;
    return true;
  }
  if (!ParseNumber(value, number)) return false;
  if (key == "lastRun") state.lastRun = static_cast<std::time_t>(number);
  else if (key == "dueStart") state.dueStart = static_cast<std::time_t>(number);
  else if (key == "runningPid" && number >= 0) state.runningPid = static_cast<pid_t>(number);
  else if (key == "terminated" && (number == 0 || number == 1)) state.terminated = number == 1;
  else return false;
  return true;
}

}  // namespace

std::string RunStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (state && state[0] == '/') {
    base = state;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.local/state";
  }
  return base + "/zovedu/tasks";
}

TaskRunState ReadRunState(const std::string& taskId) {
  if (!ValidId(taskId)) return {};
  std::ifstream in(StatePath(taskId));
  TaskRunState state;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (!ParseLine(line, state)) return {};
  }
  return state;
}

bool WriteRunState(const std::string& taskId, const TaskRunState& state) {
  if (!ValidId(taskId) || state.bootId.find('\n') != std::string::npos) return false;
  const std::string folder = RunStateFolder();
  if (!MakeFolders(folder)) return false;
  std::ostringstream text;
  if (state.lastRun) text << "lastRun=" << *state.lastRun << '\n';
  if (state.runningPid) text << "runningPid=" << state.runningPid << '\n';
  if (state.terminated) text << "terminated=1\n";
  if (state.dueStart) text << "dueStart=" << *state.dueStart << '\n';
  if (!state.bootId.empty()) text << "bootId=" << state.bootId << '\n';
  const std::string bytes = text.str();

  // A fresh name for each write, created exclusively: two runs writing at
  // once never share one, and nothing already there is written through.
  std::string temp = folder + "/." + taskId + ".tmpXXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), StatePath(taskId).c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}

void RemoveRunState(const std::string& taskId) {
  if (ValidId(taskId)) ::unlink(StatePath(taskId).c_str());
}

}  // namespace schedule
