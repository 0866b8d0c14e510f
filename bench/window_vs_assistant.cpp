// Start-up time and idle memory of the built program next to Qt Assistant,
// launched the same way on the same X display, turn about. For each launch:
// the time from the spawn to the first map of a top-level window (the
// root's MapNotify, so no polling), then the resident memory (VmRSS) a few
// seconds after, idle; then a SIGTERM. Each gets one launch to warm the
// file cache first, which is not counted; the medians of the rest are
// printed with our ratio to Assistant (1.0 or less is the goal for the
// start-up, 1.2 or less for the memory). Run it through
// bench/window-vs-assistant.sh, which starts a private X server and sound
// server.
//
//   window_vs_assistant <program> <assistant> [runs]    (default 5)
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kDeadline = std::chrono::seconds(30);
constexpr auto kSettle = std::chrono::seconds(3);

struct Launch {
  double mapMs = 0;
  double rssMb = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double RssMb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
  return 0;
}

bool Ended(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

void End(pid_t pid) {
  kill(pid, SIGTERM);
  const auto deadline = Clock::now() + kDeadline;
  while (!Ended(pid)) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// One launch: nothing when the program ended or mapped no window in time.
std::optional<Launch> LaunchOnce(xcb_connection_t* x, const std::vector<std::string>& args,
                                 const std::vector<std::string>& env, const fs::path& log) {
  xcb_flush(x);
  while (xcb_generic_event_t* e = xcb_poll_for_event(x)) std::free(e);
  std::string error;
  const auto start = Clock::now();
  const pid_t pid = bench::SpawnWithEnv(args, env, log.string(), error);
  if (pid < 0) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return std::nullopt;
  }
  std::optional<Clock::time_point> mapped;
  while (!mapped) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
      // A top-level window of the program's own; menus and tips are
      // override-redirect.
      if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY &&
          !reinterpret_cast<xcb_map_notify_event_t*>(e)->override_redirect && !mapped)
        mapped = Clock::now();
      std::free(e);
    }
    if (mapped) break;
    if (Clock::now() - start > kDeadline || Ended(pid)) {
      std::fprintf(stderr, "%s mapped no window (see %s)\n", args[0].c_str(), log.c_str());
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return std::nullopt;
    }
    pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
    poll(&p, 1, 20);
  }
  Launch launch;
  launch.mapMs = std::chrono::duration<double, std::milli>(*mapped - start).count();
  std::this_thread::sleep_for(kSettle);
  launch.rssMb = RssMb(pid);
  End(pid);
  return launch;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_vs_assistant <program> <assistant> [runs]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);

  // Each program has a home of its own, kept across its launches, as a user's is.
  const fs::path work = fs::temp_directory_path() / ("window-vs-assistant." + std::to_string(getpid()));
  struct Subject {
    const char* name;
    std::vector<std::string> args;
    fs::path home;
    std::vector<double> mapMs, rssMb;
  } subjects[] = {{"Zovedu", {argv[1]}, work / "zovedu", {}, {}}, {"Assistant", {argv[2]}, work / "assistant", {}, {}}};
  for (Subject& s : subjects) {
    fs::create_directories(s.home / "runtime");
    fs::permissions(s.home / "runtime", fs::perms::owner_all);
  }
  for (int run = 0; run <= runs; ++run) {
    for (Subject& s : subjects) {
      const std::vector<std::string> env = {
          "HOME=" + s.home.string(), "XDG_CONFIG_HOME=" + (s.home / ".config").string(),
          "XDG_DATA_HOME=" + (s.home / ".local/share").string(), "XDG_CACHE_HOME=" + (s.home / ".cache").string(),
          "XDG_STATE_HOME=" + (s.home / ".local/state").string(), "XDG_RUNTIME_DIR=" + (s.home / "runtime").string(),
          "QT_QPA_PLATFORM=xcb"};
      const auto launch = LaunchOnce(x, s.args, env, s.home / "log.txt");
      if (!launch) return 1;
      if (run == 0) continue;  // the warm-up
      s.mapMs.push_back(launch->mapMs);
      s.rssMb.push_back(launch->rssMb);
    }
  }
  xcb_disconnect(x);
  fs::remove_all(work);

  const double ourMap = Median(subjects[0].mapMs), theirMap = Median(subjects[1].mapMs);
  const double ourRss = Median(subjects[0].rssMb), theirRss = Median(subjects[1].rssMb);
  std::printf("Medians of %d launches each, after one warm-up launch\n", runs);
  std::printf("%-28s %10s %10s %8s\n", "", "Zovedu", "Assistant", "ratio");
  std::printf("%-28s %10.0f %10.0f %8.2f\n", "window mapped after (ms)", ourMap, theirMap, ourMap / theirMap);
  std::printf("%-28s %10.1f %10.1f %8.2f\n", "idle RSS 3 s later (MB)", ourRss, theirRss, ourRss / theirRss);
  for (const Subject& s : subjects) {
    std::printf("%s each run: map ms", s.name);
    for (double v : s.mapMs) std::printf(" %.0f", v);
    std::printf(", RSS MB");
    for (double v : s.rssMb) std::printf(" %.1f", v);
    std::printf("\n");
  }
  return 0;
}
