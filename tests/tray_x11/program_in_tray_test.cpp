// The built program in the tray: minimised while recording, its tray menu's
// Exit answered No in the real message box. Closing that box, the last
// window then, must not end the program; only the main window's close does
// (here from a termination signal).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QFileInfo>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "settings/ini_file.h"
#include "support/scratch_dir.h"
#include "wait_for.h"
#include "x_desktop.h"

using tray_test::WaitFor;
using namespace tray_x11;
namespace fs = std::filesystem;

namespace {
// The program's viewable windows (their instance name is the program's).
QStringList Windows(pid_t) {
  return Tool("xdotool", {"search", "--onlyvisible", "--classname", "^zovedu$"})
      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
qint64 Size(const fs::path& file) { return QFileInfo(QString::fromStdString(file.string())).size(); }
}  // namespace

TEST(ProgramInTray, ClosingAMessageBoxInTheTrayKeepsTheProgramAndItsRecording) {
  zovedu_test::ScratchDir scratch;
  const fs::path home = scratch / "home", out = scratch / "out", run = scratch / "run";
  for (const fs::path& d : {home / ".config", home / "Documents" / "ridi", out, run}) fs::create_directories(d);
  ::chmod(run.c_str(), 0700);
  std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n";
  const QString work = QString::fromStdString((home / "Documents" / "ridi").string()) + "/";
  // Records at once into out/, minimises to the tray.
  std::ofstream(SettingsFilePath(work).toStdString())
      << "[OutPut]\nFolder=" << out.string() << "/\n[Misc]\nRun=1\nMintoTray=1\nShow=1\nPlayFile=0\n";

  std::string none, whyNot;
  auto program = tray_test::ChildProcess::Start(
      ZOVEDU_PROGRAM, {},
      {{"HOME", home.string()}, {"XDG_CONFIG_HOME", (home / ".config").string()},
       {"XDG_RUNTIME_DIR", run.string()}, {"ZOVEDU_AUDIO_BACKEND", "virtual"}, {"QT_QPA_PLATFORM", "xcb"}},
      false, 0, none, whyNot);
  ASSERT_TRUE(program) << whyNot;
  const pid_t pid = program->pid();
  const fs::path file = out / "Rectest-01.wav";

  QString main;
  ASSERT_TRUE(WaitFor([&] {
    const QString found = Tool("xdotool", {"search", "--onlyvisible", "--pid", std::to_string(pid), "--name",
                                           "^Zovedu$"});
    main = found.trimmed();
    return !main.isEmpty() && !main.contains('\n');
  }, 60)) << "no main window";
  ASSERT_TRUE(WaitFor([&] { return Size(file) > 44; }, 30)) << "not recording";

  Tool("xdotool", {"windowminimize", main.toStdString()});
  // Then its one viewable window is the tray icon.
  QString icon;
  ASSERT_TRUE(WaitFor([&] {
    const QStringList shown = Windows(pid);
    icon = shown.size() == 1 && shown[0] != main ? shown[0] : QString();
    return !icon.isEmpty();
  })) << "not in the tray: " << Windows(pid).join(',').toStdString();

  // The icon's menu, its last item (Exit), and the question answered No.
  Tool("xdotool", {"mousemove", "--window", icon.toStdString(), "6", "6", "click", "3"});
  QString menu;
  ASSERT_TRUE(WaitFor([&] {
    for (const QString& w : Windows(pid))
      if (w != icon) menu = w;
    return !menu.isEmpty();
  })) << "no menu";
  Tool("xdotool", {"key", "Up", "Return"});
  QString box;
  ASSERT_TRUE(WaitFor([&] {
    for (const QString& w : Windows(pid))
      if (w != icon && w != menu) box = w;
    return !box.isEmpty();
  })) << "no question";
  Tool("xdotool", {"windowactivate", "--sync", box.toStdString()});
  Tool("xdotool", {"key", "Escape"});
  ASSERT_TRUE(WaitFor([&] { return !program->Running() || Windows(pid) == QStringList{icon}; }))
      << "the question stayed";
  ASSERT_TRUE(program->Running()) << "the program ended with the message box";

  // Still running and recording well after the box closed.
  const qint64 closedAt = Size(file);
  EXPECT_TRUE(WaitFor([&] { return !program->Running() || Size(file) > closedAt + 4 * 44100; }, 30));
  ASSERT_TRUE(program->Running()) << "the program ended with the message box";

  // A termination signal closes the main window: the program completes the
  // file and ends by itself.
  ::kill(pid, SIGTERM);
  ASSERT_TRUE(WaitFor([&] { return !program->Running(); }, 60)) << "did not end";
  EXPECT_EQ(program->ExitCode(), 0);
}
