#include "recording/effect_records.h"

void FillCompressorRecord(const CompressorPositions& p, zaudio::DX8_COMPRESSOR& r) {
  r.fGain = static_cast<float>(p.gain);
  r.fAttack = static_cast<float>(p.attack) / 100.0f;
  r.fRelease = static_cast<float>(p.release);
  r.fThreshold = static_cast<float>(p.threshold);
  r.fRatio = static_cast<float>(p.ratio);
  r.fPredelay = static_cast<float>(p.predelay);
}

void FillAgcRecord(const AgcPositions& p, zaudio::BFX_DAMP& r) {
  r.fTarget = static_cast<float>(p.target) / 100.0f;
  r.fQuiet = static_cast<float>(p.quiet) / 100.0f;
  r.fRate = static_cast<float>(p.rate) / 100.0f;
  r.fGain = static_cast<float>(p.gain) / 100.0f;
  r.fDelay = static_cast<float>(p.delay) / 100.0f;
  r.lChannel = zaudio::BFX_CHANALL;
}
