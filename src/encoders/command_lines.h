// The command lines of the external encoders. Each reads the recording as a
// WAV stream on its standard input and writes the output file, which is put
// in double quotes as it is (a name holding a double quote is refused before).
//
// List indexes are of the options dialog's lists; -1 is no selection (a list
// can end up so after a damaged settings file), and it, like any index the
// list does not hold, counts as the list's default selection, named below.
// Slider positions are taken as they are: a slider keeps them in its range.
#pragma once

#include <QString>

struct Mp3EncoderOptions {
  int channelModeIndex = 0;  // mp3channelcom; no selection: 0 "default"
  bool preset = true;
  int presetIndex = 1;  // mp3presetcom; no selection: 1 "standard"
  bool cbr = false;
  int cbrIndex = -1;  // mp3cbrbitratecom
  bool vbr = false;
  int minIndex = -1;  // mp3minbitratecom
  int maxIndex = -1;  // mp3maxbitratecom
  int quality = 4;    // cbarmp3quality, V 0 (best) .. 9
  bool abr = false;
  int abrBitrate = 128;  // the number in emp3abr
  bool crc = false, copyright = false, nonOriginal = false;
  // The main window's csample index the bitrate lists were filled for. A
  // bitrate list without a selection, or with one it does not offer at that
  // rate, counts as its first selection for the rate (Mp3BitrateListsFor),
  // as it does for the nominal bitrate.
  int sampleRateIndex = 5;
};

struct OggEncoderOptions {
  int channelIndex = 1;  // oggchannelcom: 0 mono, 1 stereo; no selection: stereo
  bool qualityMode = true;
  int qualityPosition = 275;  // cbaroggquality, the quality in hundredths
  bool average = false;
  int nominalIndex = 8;  // oggnorbitratecom; no selection: OggDefaultNominalIndex (128)
  int minIndex = 0;      // oggminbitratecom, 0 "Don't Care"; no selection: "Don't Care"
  int maxIndex = 0;      // oggmaxbitratecom, likewise
};

struct WavPackEncoderOptions {
  int channelIndex = 0;  // wvchannelcom: 0 mid/side, 1 left/right; no selection: mid/side
  int modeIndex = 0;     // wvqualitycom: 0 none, 1 speed, 2 quality; no selection: none
  bool hybrid = false;
  bool bitsPerSample = true;  // cwvbit: the position is tenths of a bit per sample
  bool kbitPerSecond = false;  // cwvsample: the position is kbit/s
  int hybridPosition = 239;    // barwvcompress
};

struct AacEncoderOptions {
  int fileTypeIndex = 0;  // aacformatcom: 0 AAC, 1 MP4, 2 M4A; no selection: AAC, as its file name
  int mpegIndex = 0;      // aacmpegcom: 0 default, 1 MPEG-2, 2 MPEG-4; no selection: default
  bool vbr = true;
  int quality = 100;  // baraacquality
  bool abr = false;
  int bitrate = 128;  // baraacabr
  bool bandwidthLimit = false;
  int bandwidth = 16000;  // baraacbandwith, Hz
};

struct MpcEncoderOptions {
  bool preset = true;
  int presetIndex = 3;  // mpcpresetcom; no selection: 3 "standard"
  bool custom = false;
  int qualityPosition = 500;  // barmpcquality, the quality in hundredths
  int midSideIndex = 5;       // mpcchannelcom; no selection: 5, which leaves the encoder's choice
};

struct SpeexEncoderOptions {
  bool abr = false;
  bool vbr = false;  // neither: constant bitrate
  int bitrateIndex = 14;  // speexbitratecom; no selection: SpeexDefaultBitrateIndex (32)
  int quality = 8;        // barspeexquality
  int modeIndex = 2;      // speexmodecom: 0 narrow, 1 wide, 2 ultra-wide band; no selection: ultra-wide
  bool vad = false, agc = false, denoise = false;
};

// channelCount is what the encoder receives; "mono" downmixes only more than one.
QString Mp3CommandLine(const Mp3EncoderOptions& o, int channelCount, const QString& file);
QString OggCommandLine(const OggEncoderOptions& o, int channelCount, const QString& file);
QString WavPackCommandLine(const WavPackEncoderOptions& o, const QString& file);
QString AacCommandLine(const AacEncoderOptions& o, const QString& file);
QString MpcCommandLine(const MpcEncoderOptions& o, const QString& file);
QString SpeexCommandLine(const SpeexEncoderOptions& o, const QString& file);
// levelIndex of apelevelcom (fast .. insane); no selection: 2 "high".
QString ApeCommandLine(int levelIndex, const QString& file);
// levelIndex of flaclevelcom (0 .. 8); no selection: 5, the encoder's default.
QString FlacCommandLine(int levelIndex, const QString& file);
QString TtaCommandLine(const QString& file);
