// Helpers for the benchmark programs that time our code next to an outside
// tool (ffmpeg, sox, flac, wavpack): CPU clocks, running a tool to its end
// and taking its CPU time, the header of the PCM WAV file handed to it, and
// the lowest figure of several runs.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

inline double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// User plus system seconds of one getrusage record.
inline double CpuSeconds(const rusage& r) { return Seconds(r.ru_utime) + Seconds(r.ru_stime); }

// getrusage for who (RUSAGE_SELF, or RUSAGE_CHILDREN: every child waited
// for so far), user plus system seconds.
inline double RusageSeconds(int who) {
  rusage r{};
  getrusage(who, &r);
  return CpuSeconds(r);
}

// This process's CPU time from CLOCK_PROCESS_CPUTIME_ID, to the nanosecond.
inline double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

enum class ChildStdout { Inherit, Discard };

struct ChildRun {
  double cpuSeconds = -1;  // the child's user plus system seconds when it succeeded
  std::string error;       // empty when it ran and exited with status 0, else why not
  bool ok() const { return error.empty(); }
};

// Runs argv[0], found on PATH, to its end. Its CPU time is what
// RUSAGE_CHILDREN grew by across the run: launch to exit, its own children
// included. With ChildStdout::Discard its standard output goes to /dev/null.
inline ChildRun RunChild(std::vector<std::string> argv, ChildStdout out = ChildStdout::Inherit) {
  ChildRun run;
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out == ChildStdout::Discard)
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const double before = RusageSeconds(RUSAGE_CHILDREN);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    run.error = "cannot start " + argv[0] + ": " + std::strerror(rc);
    return run;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      run.error = std::string("waitpid failed: ") + std::strerror(errno);
      return run;
    }
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    run.error = argv[0] + " failed";
    return run;
  }
  run.cpuSeconds = RusageSeconds(RUSAGE_CHILDREN) - before;
  return run;
}

// Starts args[0], found on PATH, with the environment's entries replaced or
// added by `env` ("NAME=value"); its standard output and error are appended
// to `log`. The child's id, or -1 with `error` saying why.
inline pid_t SpawnWithEnv(const std::vector<std::string>& args, const std::vector<std::string>& env,
                          const std::string& log, std::string& error) {
  std::vector<std::string> environment = env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& x : env) replaced = replaced || x.rfind(name + "=", 0) == 0;
    if (!replaced) environment.push_back(entry);
  }
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    error = "cannot start " + args[0] + ": " + std::strerror(rc);
    return -1;
  }
  return pid;
}

// Appends the low `bytes` bytes of v, least significant first.
template <typename Bytes>
void Put(Bytes& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<typename Bytes::value_type>((v >> (8 * i)) & 0xFF));
}

// The 44-byte header of a PCM WAV file whose data chunk holds dataBytes of
// interleaved samples. A data chunk of odd size is followed by one byte of
// padding, which the RIFF size counts and the caller writes.
inline std::string WavHeader(int channels, int sampleRate, int bitsPerSample, std::uint32_t dataBytes) {
  const auto blockAlign = static_cast<std::uint32_t>(channels * (bitsPerSample / 8));
  std::string h = "RIFF";
  Put(h, 36 + dataBytes + (dataBytes & 1), 4);
  h += "WAVEfmt ";
  Put(h, 16, 4);  // size of the fmt chunk
  Put(h, 1, 2);   // PCM
  Put(h, static_cast<std::uint32_t>(channels), 2);
  Put(h, static_cast<std::uint32_t>(sampleRate), 4);
  Put(h, static_cast<std::uint32_t>(sampleRate) * blockAlign, 4);
  Put(h, blockAlign, 2);
  Put(h, static_cast<std::uint32_t>(bitsPerSample), 2);
  h += "data";
  Put(h, dataBytes, 4);
  return h;
}

// The lowest figure of `runs` calls of run (one at least): the run least
// disturbed by whatever else the machine was doing.
template <typename Run>
double Lowest(int runs, Run&& run) {
  double best = run();
  for (int i = 1; i < runs; ++i) best = std::min(best, run());
  return best;
}

}  // namespace bench
