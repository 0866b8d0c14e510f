// Command-line remote control: `zovedu --record`, `--pause` and `--stop` act
// on the running program as the start, pause and stop hotkeys do, through the
// single-instance socket that only the same user can reach.
#pragma once

#include <QString>
#include <QStringList>

enum class RemoteCommand { None, Record, Pause, Stop };

// The command in the first argument (matched whole), or None.
RemoteCommand RemoteCommandOf(const QStringList& arguments);
// The hotkey action a command stands for: 0 start, 1 pause, 2 stop; -1 for None.
int RemoteAction(RemoteCommand command);
// True for "--help" and "-h" as the first argument.
bool IsHelpArgument(const QString& argument);
// What `zovedu --help` prints.
QString UsageText();

// Runs before the application object: prints the usage, or hands a remote
// command to the running program. Returns the exit code, or -1 when the
// program itself must start (no switch, or `--record` with nothing running).
int RemoteControlMain(int argc, char** argv);
