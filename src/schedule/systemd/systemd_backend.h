// Tasks kept as user units of the user's service manager: a service that
// checks the task is due and starts its program, a timer for its time
// triggers and an autostart entry for start-up and logon triggers.
#pragma once

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "schedule/task_backend.h"

namespace schedule {

class UserManager;

// $XDG_CONFIG_HOME/systemd/user, or ~/.config/systemd/user.
std::string UserUnitFolder();
// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart.
std::string AutostartFolder();
// The task kept in <UserUnitFolder>/<unitBase>.service; nullopt when the
// file is missing or damaged.
std::optional<TaskRecord> LoadTaskUnit(const std::string& unitBase);

class SystemdBackend : public TaskBackend {
 public:
  // programPath: the program the service asks whether the task is due
  // (`<program> --task-due <unit>`); empty: this program.
  explicit SystemdBackend(std::string programPath = {});
  ~SystemdBackend() override;

  bool ServiceRunning() override;
  std::vector<std::string> TaskNames() override;
  std::optional<TaskRecord> Load(const std::string& name) override;
  void Save(const TaskRecord& task) override;
  void Remove(const std::string& name) override;
  void Run(const TaskRecord& task) override;
  TaskRunState RunState(const std::string& name) override;

 private:
  UserManager& Manager();
  // The task in a .service file, parsed again only when the file changed.
  std::optional<TaskRecord> ReadUnit(const std::string& path);
  struct CachedUnit {
    std::timespec modified{};
    long long size = 0, inode = 0;
    std::optional<TaskRecord> task;
  };
  std::map<std::string, CachedUnit> units_;
  std::string programPath_;
  std::unique_ptr<UserManager> manager_;
};

}  // namespace schedule
