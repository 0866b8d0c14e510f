#include "app/termination_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only async-signal-safe work here: the number goes through the socket.
void OnSignal(int signal) {
  const int saved = errno;
  const unsigned char n = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &n, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char n = 0;
    while (::read(g_pipe[0], &n, 1) == 1) emit received(n);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  for (int s : kSignals) sigaction(s, &action, nullptr);
  if (g_pipe[0] >= 0) ::close(g_pipe[0]);
  if (g_pipe[1] >= 0) ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}
