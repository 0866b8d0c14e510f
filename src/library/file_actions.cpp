#include "library/file_actions.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QPromise>
#include <QStandardPaths>
#include <QThreadPool>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "library/posix_io.h"
#include "library/recording_list.h"
#include "settings/ini_file.h"

extern char** environ;

namespace {

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// Creates the folder and every missing level above it; 0 or the errno.
int MakeFolders(const std::string& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  std::string path;
  std::size_t from = 0;
  while (from < folder.size()) {
    const std::size_t slash = folder.find('/', from + 1);
    path = folder.substr(0, slash == std::string::npos ? folder.size() : slash);
    from = slash == std::string::npos ? folder.size() : slash;
    if (path.empty() || path == "/") continue;
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return errno;
  }
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

struct CopyRun {
  const CopyProgress& progress;
  qint64 done = 0;
  qint64 total = 0;

  bool cancelled() const { return progress.cancel && progress.cancel->load(); }
  void report(const std::string& current) const {
    if (progress.report) progress.report(done, total, current);
  }
};

enum class CopyEnd { Copied, Failed, Cancelled };

// Copies one file to target through a temporary file beside it. On failure
// *error holds the errno and nothing is left behind.
CopyEnd CopyOne(const std::string& source, const struct stat& sourceStat, const std::string& folder,
                const std::string& target, CopyRun& run, int* error) {
  static std::atomic<unsigned> counter{0};
  UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    *error = errno;
    return CopyEnd::Failed;
  }
  std::string temp;
  UniqueFd out;
  for (int attempt = 0; out.get() < 0; ++attempt) {
    temp = folder + "." + FileNamePart(target) + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + ".part";
    out.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0 && (errno != EEXIST || attempt > 100)) {
      *error = errno;
      return CopyEnd::Failed;
    }
  }
  const auto fail = [&](int e) {
    *error = e;
    out.close();
    ::unlink(temp.c_str());
    return CopyEnd::Failed;
  };

  std::vector<char> buffer(1 << 20);
  while (true) {
    if (run.cancelled()) {
      out.close();
      ::unlink(temp.c_str());
      return CopyEnd::Cancelled;
    }
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (n == 0) break;
    if (!WriteAll(out.get(), std::string_view(buffer.data(), std::size_t(n)))) return fail(errno);
    run.done += n;
    run.report(source);
  }
  // The copy keeps the source's permissions and times, as a file manager's does.
  const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
  if (::fchmod(out.get(), sourceStat.st_mode & 07777) != 0 || ::futimens(out.get(), times) != 0 ||
      ::fsync(out.get()) != 0)
    return fail(errno);
  if (const int e = out.close(); e != 0) return fail(e);
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
  return CopyEnd::Copied;
}

}  // namespace

std::string FindProgram(const std::string& program) {
  if (program.empty()) return std::string();
  if (program.find('/') != std::string::npos) return program;
  const char* env = std::getenv("PATH");
  const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
  std::size_t from = 0;
  while (true) {
    const std::size_t colon = path.find(':', from);
    std::string dir = path.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
    if (dir.empty()) dir = ".";
    const std::string candidate = WithSlash(dir) + program;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string::npos) return std::string();
    from = colon + 1;
  }
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments, QString* reason) {
  const std::string resolved = FindProgram(program);
  if (resolved.empty()) {
    if (reason) *reason = Reason(ENOENT);
    return false;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The child starts in its own session with every signal at its default and
  // none blocked, whatever this program's threads have set.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, resolved.c_str(), nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (error != 0) {
    if (reason) *reason = Reason(error);
    return false;
  }
  // Not waited for by the caller; a thread of its own collects the exit.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

CopyReport CopyFilesTo(const std::vector<std::string>& paths, const std::string& folder,
                       const CopyProgress& progress) {
  CopyReport report;
  const std::string into = WithSlash(folder);
  if (const int e = into.empty() ? ENOENT : MakeFolders(into); e != 0) {
    report.messages << QStringLiteral("Cannot create %1: %2").arg(ShownText(folder), Reason(e));
    return report;
  }
  CopyRun run{progress};
  for (const std::string& p : paths) {
    struct stat st;
    if (::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode)) run.total += st.st_size;
  }
  for (const std::string& source : paths) {
    const QString shownSource = ShownText(source);
    const auto failed = [&](int e) {
      report.messages << QStringLiteral("Cannot copy %1 to %2: %3").arg(shownSource, ShownText(into), Reason(e));
    };
    struct stat sourceStat;
    if (::stat(source.c_str(), &sourceStat) != 0) {
      failed(errno);
      continue;
    }
    if (S_ISDIR(sourceStat.st_mode)) {
      failed(EISDIR);
      continue;
    }
    const std::string target = into + FileNamePart(source);
    struct stat targetStat;
    if (::stat(target.c_str(), &targetStat) == 0 && targetStat.st_dev == sourceStat.st_dev &&
        targetStat.st_ino == sourceStat.st_ino) {
      report.messages << QStringLiteral("Cannot copy %1 onto itself").arg(shownSource);
      if (S_ISREG(sourceStat.st_mode)) run.done += sourceStat.st_size;
      continue;
    }
    int error = 0;
    switch (CopyOne(source, sourceStat, into, target, run, &error)) {
      case CopyEnd::Copied: ++report.copied; break;
      case CopyEnd::Failed: failed(error); break;
      case CopyEnd::Cancelled: report.cancelled = true; return report;
    }
  }
  return report;
}

QFuture<CopyReport> StartCopyFilesTo(const std::vector<std::string>& paths, const std::string& folder) {
  auto promise = std::make_shared<QPromise<CopyReport>>();
  QFuture<CopyReport> future = promise->future();
  promise->start();
  promise->setProgressRange(0, 1000);
  QThreadPool::globalInstance()->start([promise, paths, folder] {
    std::atomic<bool> cancel{false};
    CopyProgress progress;
    progress.cancel = &cancel;
    progress.report = [&](qint64 done, qint64 total, const std::string& current) {
      if (promise->isCanceled()) cancel = true;
      promise->setProgressValueAndText(total > 0 ? int(done * 1000 / total) : 1000, ShownText(current));
    };
    // A cancelled future takes no result.
    promise->addResult(CopyFilesTo(paths, folder, progress));
    promise->finish();
  });
  return future;
}

std::vector<std::string> MailArguments(const std::vector<std::string>& paths) {
  std::vector<std::string> args = {"--subject", "Share with Zovedu", "--body", "Please see the attached file."};
  for (const std::string& p : paths) {
    args.push_back("--attach");
    args.push_back(p);
  }
  return args;
}

bool MailFiles(const std::vector<std::string>& paths, const std::string& program) {
  return StartDetached(program, MailArguments(paths));
}

QString EditorConfigPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Dedurira/editor.ini");
}

std::string ReadEditorFolder(const QString& configPath) {
  if (configPath.isEmpty() || !QFile::exists(configPath)) return std::string();
  const QString folder = IniFile(configPath).ReadString(QStringLiteral("editor10"), QStringLiteral("path"), QString());
  return WithSlash(FileNameBytes(folder));
}

std::string EditorProgram(const std::string& editorFolder) { return editorFolder + "dave"; }

bool EditorPresent(const std::string& editorFolder) {
  return !editorFolder.empty() && IsExecutableFile(EditorProgram(editorFolder));
}

bool RunSoundEditor(const std::string& editorFolder) {
  return !editorFolder.empty() && StartDetached(EditorProgram(editorFolder), {});
}

bool EditAudio(const std::string& editorFolder, const std::vector<std::string>& selectedPaths) {
  if (editorFolder.empty() || selectedPaths.empty()) return false;
  return StartDetached(EditorProgram(editorFolder), {selectedPaths.front()});
}
