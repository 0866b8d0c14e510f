#include "schedule/systemd/systemd_backend.h"

#include <sys/stat.h>

#include <QProcess>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "schedule/systemd/unit_file_io.h"
#include "schedule/systemd/user_manager.h"
#include "schedule/task_scheduler.h"
#include "schedule/task_unit_files.h"

namespace fs = std::filesystem;

namespace schedule {

namespace {

const std::string kUnitPrefix = "zovedu-task-";

std::string ConfigHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

[[noreturn]] void Fail(const QString& message) { throw EOSError(message); }

bool HasStartupOrLogonTrigger(const TaskRecord& task) {
  for (const TASK_TRIGGER& t : task.triggers)
    if (!(t.rgFlags & TASK_TRIGGER_FLAG_DISABLED) &&
        (t.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART ||
         t.TriggerType == TASK_EVENT_TRIGGER_AT_LOGON))
      return true;
  return false;
}

// The desktop entry escapes only what the Name value needs.
std::string DesktopEntryText(const TaskRecord& task, const std::string& base) {
  std::string name;
  for (char c : task.name) {
    if (c == '\n') name += "\\n";
    else if (c == '\r') name += "\\r";
    else if (c == '\t') name += "\\t";
    else if (c == '\\') name += "\\\\";
    else if (static_cast<unsigned char>(c) >= 0x20) name += c;
  }
  const bool hidden = task.flags & TASK_FLAG_DISABLED;
  std::string text = "[Desktop Entry]\nType=Application\nName=Zovedu task " + name + "\n";
  text += "Exec=systemctl --user start " + base + ".service\n";
  text += "NoDisplay=true\n";
  if (hidden) text += "Hidden=true\nX-GNOME-Autostart-enabled=false\n";
  return text;
}

void WriteOrFail(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (!WriteFileAtomically(path, text)) Fail(QStringLiteral("Unable to write to %1").arg(Q(path)));
}

void RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  if (ec) Fail(QStringLiteral("Cannot delete %1: %2").arg(Q(path), Q(ec.message())));
}

}  // namespace

std::string UserUnitFolder() { return ConfigHome() + "/systemd/user"; }

std::string AutostartFolder() { return ConfigHome() + "/autostart"; }

std::optional<TaskRecord> LoadTaskUnit(const std::string& unitBase) {
  const std::optional<std::string> text = ReadWholeFile(UserUnitFolder() + "/" + unitBase + ".service");
  if (!text) return std::nullopt;
  return ParseTaskUnits(*text);
}

SystemdBackend::SystemdBackend(std::string programPath) : programPath_(std::move(programPath)) {
  if (programPath_.empty()) {
    std::error_code ec;
    programPath_ = fs::read_symlink("/proc/self/exe", ec).string();
  }
}

SystemdBackend::~SystemdBackend() = default;

// A connection the manager dropped (it re-executed, or the session began
// anew) is replaced by a new one.
UserManager& SystemdBackend::Manager() {
  if (!manager_ || !manager_->Connected()) manager_ = std::make_unique<UserManager>();
  return *manager_;
}

std::optional<TaskRecord> SystemdBackend::ReadUnit(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    units_.erase(path);
    return std::nullopt;
  }
  CachedUnit& cached = units_[path];
  if (cached.modified.tv_sec == info.st_mtim.tv_sec && cached.modified.tv_nsec == info.st_mtim.tv_nsec &&
      cached.size == info.st_size && cached.inode == static_cast<long long>(info.st_ino))
    return cached.task;
  const std::optional<std::string> text = ReadWholeFile(path);
  cached.modified = info.st_mtim;
  cached.size = info.st_size;
  cached.inode = static_cast<long long>(info.st_ino);
  cached.task = text ? ParseTaskUnits(*text) : std::nullopt;
  return cached.task;
}

bool SystemdBackend::ServiceRunning() {
  manager_ = std::make_unique<UserManager>();
  return manager_->Answers();
}

std::vector<std::string> SystemdBackend::TaskNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(UserUnitFolder(), ec)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind(kUnitPrefix, 0) != 0 || entry.path().extension() != ".service") continue;
    if (std::optional<TaskRecord> task = ReadUnit(entry.path().string())) names.push_back(task->name);
  }
  return names;
}

std::optional<TaskRecord> SystemdBackend::Load(const std::string& name) {
  std::optional<TaskRecord> task = ReadUnit(UserUnitFolder() + "/" + UnitBaseName(name) + ".service");
  if (!task || task->name != name) return std::nullopt;
  return task;
}

void SystemdBackend::Save(const TaskRecord& task) {
  const std::string base = UnitBaseName(task.name);
  const std::string folder = UserUnitFolder();
  const std::time_t now = std::time(nullptr);
  WriteOrFail(folder + "/" + base + ".service", ServiceUnitText(task, programPath_));
  // The manager refuses a timer without a calendar: none is kept then.
  // The calendar is costly to work out, so it is worked out once.
  const std::string timerText = TimerUnitText(task, now);
  const bool hasCalendar = timerText.find("\nOnCalendar=") != std::string::npos;
  const std::string desktop = AutostartFolder() + "/" + base + ".desktop";
  if (HasStartupOrLogonTrigger(task))
    WriteOrFail(desktop, DesktopEntryText(task, base));
  else
    RemoveFile(desktop);

  UserManager& manager = Manager();
  const QString timer = Q(base + ".timer");
  const std::string timerPath = folder + "/" + base + ".timer";
  if (hasCalendar) WriteOrFail(timerPath, timerText);
  if (hasCalendar && !(task.flags & TASK_FLAG_DISABLED)) {
    manager.Reload();
    manager.EnableTimer(timer);
    manager.RestartUnit(timer);
    return;
  }
  manager.StopUnit(timer);
  std::error_code ec;
  if (fs::exists(timerPath, ec)) manager.DisableTimer(timer);
  if (!hasCalendar) RemoveFile(timerPath);
  manager.Reload();
}

void SystemdBackend::Remove(const std::string& name) {
  const std::string base = UnitBaseName(name);
  const std::string service = UserUnitFolder() + "/" + base + ".service";
  std::error_code ec;
  if (!fs::exists(service, ec))
    Fail(QStringLiteral("The task \"%1\" does not exist.").arg(Q(name)));
  UserManager& manager = Manager();
  const QString timer = Q(base + ".timer");
  const std::string timerPath = UserUnitFolder() + "/" + base + ".timer";
  manager.StopUnit(timer);
  if (fs::exists(timerPath, ec)) manager.DisableTimer(timer);
  RemoveFile(timerPath);
  RemoveFile(service);
  RemoveFile(AutostartFolder() + "/" + base + ".desktop");
  RemoveRunState(TaskId(name));
  manager.Reload();
}

void SystemdBackend::Run(const TaskRecord& task) {
  const std::string id = TaskId(task.name);
  TaskRunState state = ReadRunState(id);
  if (state.dueStart) {
    state.dueStart.reset();
    WriteRunState(id, state);
  }
  const std::vector<std::string> args = SystemdRunArguments(task, UnitBaseName(task.name));
  QStringList rest;
  for (std::size_t i = 1; i < args.size(); ++i) rest << Q(args[i]);
  QProcess process;
  process.start(Q(args.front()), rest);
  if (!process.waitForStarted(10000))
    Fail(QStringLiteral("Cannot start %1: %2").arg(Q(args.front()), process.errorString()));
  // --no-block: it returns once the manager has taken the job.
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished(5000);
    Fail(QStringLiteral("%1 did not finish.").arg(Q(args.front())));
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    Fail(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
}

TaskRunState SystemdBackend::RunState(const std::string& name) {
  return ReadRunState(TaskId(name));
}

}  // namespace schedule
