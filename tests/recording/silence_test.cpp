// Silence handling: levels in decibels, the chosen action, and what a silent
// monitor tick does.
#include <gtest/gtest.h>

#include "recording/silence.h"

namespace {

TEST(SilenceLevels, DecibelsRelativeToTheReference) {
  struct Case {
    int value;
    int reference;
    int db;
  };
  const Case cases[] = {
      {0, 32768, -110},
      {0, 0, -110},
      {32768, 32768, 0},
      {-32768, 32768, 0},   // the sign does not matter
      {32767, 32768, 0},    // -0.0003 dB rounds to 0
      {16384, 32768, -6},   // -6.02
      {-16384, 32768, -6},
      {3277, 32768, -20},   // -19.9997
      {1, 32768, -90},      // -90.31
      {100, 1, 40},
      {10, 0, 20},          // a reference below 1 counts as 1
      {10, -5, 20},
      {3, 1, 10},           // 9.54 rounds up
      {2, 1, 6},            // 6.02 rounds down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " / " << c.reference);
    EXPECT_EQ(LevelToDb(c.value, c.reference), c.db);
  }
}

TEST(SilenceLevels, ChannelLevelReadsTheLeftHalfAsSigned16Bit) {
  struct Case {
    std::uint32_t word;
    int db;
  };
  const Case cases[] = {
      {0x00000000, -110},
      {0x00008000, 0},      // full scale wraps to -32768 and is still 0 dB
      {0x00007FFF, 0},
      {0x00004000, -6},
      {0x0000C000, -6},     // -16384
      {0x00000001, -90},
      {0x80000000, -110},   // a loud right channel alone is silence
      {0x7FFF0000, -110},
      {0x80000001, -90},    // only the left channel counts
      {0x00018000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.word);
    EXPECT_EQ(ChannelLevelDb(c.word), c.db);
  }
}

TEST(SilenceAction, LastCheckedBoxWins) {
  struct Case {
    bool pause, stop, newFile;
    SilenceAction expected;
  };
  const Case cases[] = {
      {false, false, false, SilenceAction::None},
      {true, false, false, SilenceAction::Pause},
      {false, true, false, SilenceAction::Stop},
      {false, false, true, SilenceAction::NewFile},
      {true, true, false, SilenceAction::Stop},
      {true, false, true, SilenceAction::NewFile},
      {false, true, true, SilenceAction::NewFile},
      {true, true, true, SilenceAction::NewFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pause << c.stop << c.newFile);
    EXPECT_EQ(ChosenSilenceAction(c.pause, c.stop, c.newFile), c.expected);
  }
}

TEST(SilenceTick, ActionsAndSuspensionPerSecondOfSilence) {
  struct Case {
    const char* what;
    SilenceAction action;
    int length;
    int seconds;
    bool wma;
    bool pauseEncoder, stop, newFile, suspended;
  };
  const Case cases[] = {
      // Length 0: writing is held from the first silent second on; the capture
      // side has already paused the encoder, so the tick does not.
      {"pause, length 0", SilenceAction::Pause, 0, 1, false, false, false, false, true},
      {"pause, length 0, later", SilenceAction::Pause, 0, 30, false, false, false, false, true},
      {"pause before its length", SilenceAction::Pause, 5, 3, false, false, false, false, false},
      {"pause one second short", SilenceAction::Pause, 5, 4, false, false, false, false, false},
      {"pause at its length", SilenceAction::Pause, 5, 5, false, true, false, false, true},
      {"pause past its length", SilenceAction::Pause, 5, 8, false, true, false, false, true},
      // WMA's encoder is never paused, but the file's counters still stand still.
      {"pause, WMA", SilenceAction::Pause, 5, 5, true, false, false, false, true},
      {"pause, WMA, before", SilenceAction::Pause, 5, 2, true, false, false, false, false},
      {"pause, WMA, length 0", SilenceAction::Pause, 0, 1, true, false, false, false, true},
      {"stop, length 0", SilenceAction::Stop, 0, 1, false, false, true, false, true},
      {"stop before its length", SilenceAction::Stop, 5, 4, false, false, false, false, false},
      {"stop at its length", SilenceAction::Stop, 5, 5, false, false, true, false, true},
      {"stop, WMA", SilenceAction::Stop, 5, 5, true, false, true, false, true},
      // A new file needs a length: with 0 there would be one per second.
      {"new file, length 0", SilenceAction::NewFile, 0, 1, false, false, false, false, true},
      {"new file before its length", SilenceAction::NewFile, 5, 4, false, false, false, false,
       false},
      {"new file at its length", SilenceAction::NewFile, 5, 5, false, false, false, true, true},
      {"new file, WMA", SilenceAction::NewFile, 5, 5, true, false, false, true, true},
      {"no action, length 0", SilenceAction::None, 0, 1, false, false, false, false, true},
      {"no action at its length", SilenceAction::None, 5, 5, false, false, false, false, true},
      {"no action before", SilenceAction::None, 5, 1, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SilenceSettings s;
    s.action = c.action;
    s.silentLength = c.length;
    const SilenceTick t = SilenceTickFor(s, c.seconds, c.wma);
    EXPECT_EQ(t.pauseEncoder, c.pauseEncoder);
    EXPECT_EQ(t.stop, c.stop);
    EXPECT_EQ(t.newFile, c.newFile);
    EXPECT_EQ(t.suspended, c.suspended);
  }
}

}  // namespace
