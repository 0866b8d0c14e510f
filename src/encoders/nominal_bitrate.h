// The bitrate in kbps the size display assumes for MP3 and OGG, from what the
// encoder pages hold.
#pragma once

// The MP3 page. List indexes are of the bitrate lists the page fills for the
// sample rate (items of Mp3BitrateTable); -1 is no selection.
struct Mp3BitrateChoice {
  bool preset = false;
  int presetIndex = -1;  // mp3presetcom
  bool cbr = false;
  int cbrIndex = -1;  // mp3cbrbitratecom
  bool vbr = false;
  int minIndex = -1;  // mp3minbitratecom
  int quality = 4;    // cbarmp3quality, V 0 (best) .. 9
  bool abr = false;
  int abrBitrate = 128;  // the number in emp3abr
  int sampleRateIndex = 5;  // the main window's csample index the lists were filled for
};

// In this order: the preset's bitrate (0 without a preset or for an unknown
// one); the CBR bitrate replaces it when CBR is chosen; when VBR is chosen the
// ABR bitrate if ABR is on, else min + round(min / 100 × (10 − V)). A list
// without a selection, or with one it does not offer at that sample rate,
// counts as its first selection for that rate (Mp3BitrateListsFor).
int Mp3NominalBitrate(const Mp3BitrateChoice& choice);

// The OGG nominal bitrate list's first selection (128 kbps).
constexpr int OggDefaultNominalIndex = 8;

// Without quality mode, the nominal bitrate chosen (OggBitrateTable; no
// selection counts as OggDefaultNominalIndex). With it, the quality position
// -200..1000 (a quality of -2..10 in hundredths) interpolated between
// anchor bitrates; below 0 it is 112, at 1000 499. Positions above 1000
// count as 1000.
int OggNominalBitrate(bool qualityMode, int qualityPosition, int nominalIndex);
