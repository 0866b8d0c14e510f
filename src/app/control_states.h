// Which commands the main window offers in each state.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

enum class ControlState { Recording = 0, Paused = 1, IdleAfterStop = 2, Playing = 3, Start = -1 };

enum class Enable { On, Off, Keep };

struct ControlStateRow {
  QStringList items;                  // object names of widgets and menu actions
  std::array<Enable, 5> enabled;      // recording, paused, idle, playing, start
};

// Column of a state in the rows above.
int ControlStateColumn(ControlState state);

const std::array<ControlStateRow, 6>& ControlStateTable();

struct PauseStopHints {
  QString pause, stop;
};
// The hints of the pause and stop buttons, or nothing where they stay.
std::optional<PauseStopHints> HintsForState(ControlState state);
