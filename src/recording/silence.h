// Silence handling while recording: levels in decibels, the settings a
// recording takes at its start, and what a captured buffer or a monitor tick
// does with them.
#pragma once

#include <cstdint>

// 0 gives -110; otherwise 20 × log10(|value| ÷ max(reference, 1)), rounded to
// the nearest integer with halves to even.
int LevelToDb(int value, int reference);

// The left channel of a library level word (low 16 bits) read as a signed
// 16-bit number, so full scale (32768) reads as -32768 and counts as 0 dB.
int ChannelLevelDb(std::uint32_t levelWord);

enum class SilenceAction { None = 0, Pause = 1, Stop = 2, NewFile = 3 };

struct SilenceSettings {
  int thresholdDb = -50;  // a buffer at or below it is silent
  int silentLength = 0;   // seconds of silence before the action; 0: writing pauses at once
  SilenceAction action = SilenceAction::Pause;
};

// The action from the three check boxes; when several are checked the last
// in the order pause, stop, new file wins.
SilenceAction ChosenSilenceAction(bool pause, bool stop, bool newFile);

// What one monitor tick does while the input is silent, given the seconds
// counted so far (this tick included).
struct SilenceTick {
  bool pauseEncoder = false;  // suspend writing (the pause action after its length)
  bool stop = false;
  bool newFile = false;
  bool suspended = false;     // the file's time, size, display and split stand still
};
SilenceTick SilenceTickFor(const SilenceSettings& s, int silentSeconds, bool wma);
