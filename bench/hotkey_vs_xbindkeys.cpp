// How fast a global hotkey starts a recording: the built program recording
// WAV on Alt+F1, next to xbindkeys starting parecord on the same key. Each
// run times "xdotool key alt+F1" until the new file holds its first audio
// byte (its size passes the header). Run it through
// bench/hotkey-vs-xbindkeys.sh, which starts a private X server and sound
// server.
//
//   hotkey_vs_xbindkeys [runs]     (default 20)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kDeadline = std::chrono::seconds(30);

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "hotkey_vs_xbindkeys: %s\n", why.c_str());
  std::exit(1);
}

// Starts a program with extra environment entries; its output goes to log.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& log) {
  std::string error;
  const pid_t pid = bench::SpawnWithEnv(args, env, log.string(), error);
  if (pid < 0) Fail(error);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Xdotool(const std::vector<std::string>& args, const fs::path& log) {
  std::vector<std::string> all{"xdotool"};
  all.insert(all.end(), args.begin(), args.end());
  if (Wait(Spawn(all, {}, log)) != 0) Fail("xdotool failed (see " + log.string() + ")");
}

// Bytes before the audio: up to and with the "data" chunk's header.
std::optional<std::uintmax_t> HeaderSize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  char head[256] = {};
  in.read(head, sizeof head);
  const std::string bytes(head, static_cast<size_t>(in.gcount()));
  const size_t data = bytes.find("data");
  if (data == std::string::npos || data + 8 > bytes.size()) return std::nullopt;
  return data + 8;
}

// A file in folder that was not there before and holds audio.
std::optional<fs::path> NewFileWithAudio(const fs::path& folder, const std::set<fs::path>& before) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (before.count(entry.path()) || entry.path().extension() != ".wav") continue;
    const std::uintmax_t size = fs::file_size(entry.path(), ec);
    if (ec) continue;
    if (const auto header = HeaderSize(entry.path()); header && size > *header) return entry.path();
  }
  return std::nullopt;
}

std::set<fs::path> Files(const fs::path& folder) {
  std::set<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.insert(entry.path());
  return files;
}

struct Press {
  double ms;     // from the key to the first audio byte on disk
  fs::path file;
};

// Presses Alt+F1 and times it until a new file holds audio; nothing when
// none came within wait.
std::optional<Press> TimeOnePress(const fs::path& folder, const fs::path& log, Clock::duration wait) {
  const std::set<fs::path> before = Files(folder);
  const auto start = Clock::now();
  Xdotool({"key", "alt+F1"}, log);
  while (Clock::now() - start < wait) {
    if (const auto file = NewFileWithAudio(folder, before))
      return Press{std::chrono::duration<double, std::milli>(Clock::now() - start).count(), *file};
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return std::nullopt;
}

// The first press also waits for the key to be grabbed: pressed again until a
// file comes. Not counted.
fs::path WarmUp(const fs::path& folder, const fs::path& log) {
  const auto start = Clock::now();
  for (;;) {
    if (const auto press = TimeOnePress(folder, log, std::chrono::seconds(2))) return press->file;
    if (Clock::now() - start > kDeadline) Fail("Alt+F1 started no recording in " + folder.string());
  }
}

// The program lists a recording once it has stopped.
void WaitUntilListed(const fs::path& list, const fs::path& file) {
  const auto start = Clock::now();
  for (;;) {
    std::ifstream in(list);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.find(file.filename().string()) != std::string::npos) return;
    if (Clock::now() - start > kDeadline) Fail(file.string() + " was not listed: the recording did not stop");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The program with Alt+F1 to record and Alt+F3 to stop.
std::vector<double> Ours(const fs::path& scratch, int runs) {
  const fs::path home = scratch / "home", out = scratch / "ours", runtime = scratch / "runtime";
  fs::create_directories(home / "Documents" / "ridi");
  fs::create_directories(home / "Music");
  fs::create_directories(home / ".config");
  fs::create_directories(out);
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  std::ofstream(home / ".config" / "user-dirs.dirs")
      << "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n";
  std::ofstream(home / "Documents" / "ridi" / "ridi.ini")
      << "[OutPut]\nFolder=" << out.string() << "/\n[Hotkey]\nEnabled=1\n"
      << "[Misc]\nPlayFile=0\n";  // a file playing after the stop would make Record ask first
  const fs::path log = scratch / "ours.log";
  const pid_t program =
      Spawn({ZOVEDU_PROGRAM},
            {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / ".config").string(),
             "XDG_RUNTIME_DIR=" + runtime.string(), "QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=",
             "XDG_SESSION_TYPE=x11", "LC_ALL=C"},
            log);
  const fs::path list = home / "Documents" / "ridi" / "reclist.txt";
  const auto stop = [&](const fs::path& file) {
    Xdotool({"key", "alt+F3"}, log);
    WaitUntilListed(list, file);
  };
  stop(WarmUp(out, log));
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto press = TimeOnePress(out, log, kDeadline);
    if (!press) Fail("run " + std::to_string(i + 1) + " of the program recorded nothing (see " + log.string() + ")");
    times.push_back(press->ms);
    stop(press->file);
  }
  kill(program, SIGTERM);
  Wait(program);
  return times;
}

// xbindkeys running parecord on Alt+F1; each parecord is ended by its id.
std::vector<double> Xbindkeys(const fs::path& scratch, int runs) {
  const fs::path out = scratch / "xbindkeys", pidFile = scratch / "parecord.pid";
  fs::create_directories(out);
  const fs::path rc = scratch / "xbindkeysrc";
  std::ofstream(rc) << "\"sh -c 'echo $$ > " << pidFile.string() << "; exec parecord --file-format=wav "
                    << out.string() << "/x-$(date +%s%N).wav'\"\n  Mod1 + F1\n";
  const fs::path log = scratch / "xbindkeys.log";
  const pid_t daemon = Spawn({"xbindkeys", "-n", "-f", rc.string()}, {}, log);
  const auto stop = [&] {
    std::ifstream in(pidFile);
    pid_t pid = 0;
    if (!(in >> pid) || pid <= 0) Fail("parecord left no process id");
    kill(pid, SIGTERM);
    const auto start = Clock::now();
    while (kill(pid, 0) == 0) {
      if (Clock::now() - start > kDeadline) Fail("parecord did not end");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    fs::remove(pidFile);
  };
  WarmUp(out, log);
  stop();
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto press = TimeOnePress(out, log, kDeadline);
    if (!press) Fail("run " + std::to_string(i + 1) + " of xbindkeys recorded nothing (see " + log.string() + ")");
    times.push_back(press->ms);
    stop();
  }
  kill(daemon, SIGTERM);
  Wait(daemon);
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  if (!std::getenv("DISPLAY") || !std::getenv("PULSE_SERVER"))
    Fail("DISPLAY and PULSE_SERVER must name the private servers (bench/hotkey-vs-xbindkeys.sh)");
  char pattern[] = "/tmp/hotkey-bench.XXXXXX";
  if (!mkdtemp(pattern)) Fail("no scratch folder");
  const fs::path scratch = pattern;

  const std::vector<double> ours = Ours(scratch, runs);
  const std::vector<double> theirs = Xbindkeys(scratch, runs);
  const double a = Median(ours), b = Median(theirs);
  std::printf("runs: %d each, Alt+F1 until the first audio byte is on disk\n", runs);
  std::printf("ours      median %.1f ms (min %.1f, max %.1f)\n", a, *std::min_element(ours.begin(), ours.end()),
              *std::max_element(ours.begin(), ours.end()));
  std::printf("xbindkeys median %.1f ms (min %.1f, max %.1f)\n", b,
              *std::min_element(theirs.begin(), theirs.end()), *std::max_element(theirs.begin(), theirs.end()));
  std::printf("RATIO ours/xbindkeys %.2f\n", a / b);
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return 0;
}
