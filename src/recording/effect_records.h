// The parameter records of the recording's library effects, filled from the
// positions of the options dialog's sliders.
#pragma once

#include "audio/zaudio.h"

struct CompressorPositions {
  int gain = 0;         // dB
  int attack = 1;       // hundredths of a millisecond
  int release = 50;     // ms
  int threshold = -10;  // dB
  int ratio = 10;
  int predelay = 0;     // ms
};

struct AgcPositions {  // each in hundredths
  int target = 93;
  int quiet = 2;
  int rate = 1;
  int gain = 100;
  int delay = 50;
};

// Fills every field; the divisions are done in single precision.
void FillCompressorRecord(const CompressorPositions& positions, zaudio::DX8_COMPRESSOR& record);
// All channels share the gain.
void FillAgcRecord(const AgcPositions& positions, zaudio::BFX_DAMP& record);
