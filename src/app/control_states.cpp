#include "app/control_states.h"

int ControlStateColumn(ControlState state) {
  switch (state) {
    case ControlState::Recording:
      return 0;
    case ControlState::Paused:
      return 1;
    case ControlState::IdleAfterStop:
      return 2;
    case ControlState::Playing:
      return 3;
    case ControlState::Start:
      return 4;
  }
  return 4;
}

const std::array<ControlStateRow, 6>& ControlStateTable() {
  using E = Enable;
  static const std::array<ControlStateRow, 6> table{{
      {{"Record1", "btnrec"}, {E::Off, E::Off, E::On, E::On, E::On}},
      {{"Pause1", "btnpause", "Stop1", "btnstop"}, {E::On, E::On, E::Off, E::On, E::Off}},
      {{"Settings1", "btnoption", "Wizard1", "btnwiz"}, {E::Off, E::Off, E::On, E::On, E::On}},
      {{"Scheduler1", "RecordsList1", "btnreclist", "btnschedule"}, {E::On, E::On, E::On, E::On, E::On}},
      {{"Rslist", "btnsourcerefresh", "cchannel", "csample", "cbit", "cformat", "outlabel"},
       {E::Off, E::Off, E::On, E::On, E::On}},
      {{"Cvolume"}, {E::Keep, E::Keep, E::On, E::On, E::On}},
  }};
  return table;
}

std::optional<PauseStopHints> HintsForState(ControlState state) {
  switch (state) {
    case ControlState::Recording:
    case ControlState::Start:
      return PauseStopHints{QStringLiteral("Pause Recording"), QStringLiteral("Stop Recording")};
    case ControlState::Playing:
      return PauseStopHints{QStringLiteral("Pause Playing"), QStringLiteral("Stop Playing")};
    default:
      return std::nullopt;
  }
}
