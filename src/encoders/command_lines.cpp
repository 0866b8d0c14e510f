#include "encoders/command_lines.h"

#include <array>

#include "encoders/bitrate_tables.h"
#include "encoders/nominal_bitrate.h"

namespace {

// The index when the list holds it, else the list's default selection.
template <size_t N>
int Chosen(int index, const std::array<const char*, N>&, int fallback) {
  return index >= 0 && index < int(N) ? index : fallback;
}
int Chosen(int index, int count, int fallback) { return index >= 0 && index < count ? index : fallback; }

QString Quoted(const QString& file) { return QLatin1Char('"') + file + QLatin1Char('"'); }

// Switches with a value: " -b 128". Fractions always with a ".".
QString Arg(const char* option, int value) {
  return QLatin1Char(' ') + QLatin1String(option) + QLatin1Char(' ') + QString::number(value);
}
QString Arg(const char* option, double value) {
  return QLatin1Char(' ') + QLatin1String(option) + QLatin1Char(' ') + FormatEncoderValue(value);
}

// The table value of an MP3 bitrate list index at the rate the lists were
// filled for.
int Mp3ListBitrate(int index, int sampleRateIndex, int Mp3BitrateLists::*firstSelection) {
  const Mp3BitrateLists lists = Mp3BitrateListsFor(sampleRateIndex);
  return Mp3BitrateTable[Chosen(index, int(lists.items.size()), lists.*firstSelection)];
}

constexpr std::array<const char*, 6> kMp3Presets = {
    " --preset medium",  " --preset standard",     " --preset fast standard",
    " --preset extreme", " --preset fast extreme", " --preset insane"};
constexpr std::array<const char*, 5> kMp3ChannelModes = {"", " -m s", " -m j", " -m f", " -m m"};
constexpr int kMp3Mono = 4;

constexpr std::array<const char*, 3> kWavPackModes = {"", " -f", " -h"};

constexpr std::array<const char*, 3> kAacMpegVersions = {"", " --mpeg-vers 2", " --mpeg-vers 4"};

constexpr std::array<const char*, 7> kMpcPresets = {" --telephone", " --thumb",  " --radio",    " --standard",
                                                    " --xtreme",    " --insane", " --braindead"};
// Item 5 ("2/6 db") is what the encoder does by default: no switch.
constexpr std::array<const char*, 9> kMpcMidSide = {" --ms 0",  " --ms 1",  " --ms 2",  " --ms 3", " --ms 10",
                                                    "",         " --ms 12", " --ms 13", " --ms 15"};

constexpr std::array<const char*, 3> kSpeexModes = {" -n", " -w", " -u"};

constexpr std::array<const char*, 5> kApeLevels = {"fast", "normal", "high", "extra_high", "insane"};
constexpr int kFlacLevels = 9;

}  // namespace

QString Mp3CommandLine(const Mp3EncoderOptions& o, int channelCount, const QString& file) {
  const int mode = Chosen(o.channelModeIndex, kMp3ChannelModes, 0);
  QString line = QStringLiteral("bin/lame ");
  if (channelCount > 1 && mode == kMp3Mono) line += QLatin1String(" -a");
  if (o.preset) line += QLatin1String(kMp3Presets[Chosen(o.presetIndex, kMp3Presets, 1)]);
  if (o.cbr) line += Arg("-b", Mp3ListBitrate(o.cbrIndex, o.sampleRateIndex, &Mp3BitrateLists::cbrIndex));
  if (o.vbr) line += Arg("-b", Mp3ListBitrate(o.minIndex, o.sampleRateIndex, &Mp3BitrateLists::minIndex));
  line += QLatin1String(kMp3ChannelModes[mode]);
  if (o.crc) line += QLatin1String(" -p");
  if (o.copyright) line += QLatin1String(" -c");
  if (o.nonOriginal) line += QLatin1String(" -o");
  if (o.vbr) {
    line += o.abr ? Arg("--abr", o.abrBitrate) : Arg("-V", o.quality);
    line += Arg("-B", Mp3ListBitrate(o.maxIndex, o.sampleRateIndex, &Mp3BitrateLists::maxIndex));
  }
  return line + QLatin1String(" - ") + Quoted(file);
}

QString OggCommandLine(const OggEncoderOptions& o, int channelCount, const QString& file) {
  constexpr int kOggMono = 0;
  const int channels = Chosen(o.channelIndex, 2, 1);
  const int bitrates = int(OggBitrateTable.size());
  QString line = QStringLiteral("bin/oggenc2");
  if (channelCount > 1 && channels == kOggMono) line += QLatin1String(" --downmix");
  if (o.qualityMode) {
    const double q = o.qualityPosition / 100.0;
    line += Arg(q < 0 ? "--quality" : "-q", q);
  }
  if (o.average) {
    line += Arg("-b", OggBitrateTable[Chosen(o.nominalIndex, bitrates, OggDefaultNominalIndex)]);
    // The minimum and maximum lists start with "Don't Care", then the table.
    const int min = Chosen(o.minIndex, bitrates + 1, 0), max = Chosen(o.maxIndex, bitrates + 1, 0);
    if (min > 0) line += Arg("-m", OggBitrateTable[min - 1]);
    if (max > 0) line += Arg("-M", OggBitrateTable[max - 1]);
  }
  return line + QLatin1String(" - -o") + Quoted(file);
}

QString WavPackCommandLine(const WavPackEncoderOptions& o, const QString& file) {
  QString line = QStringLiteral("bin/wavpack");
  line += Chosen(o.channelIndex, 2, 0) == 0 ? QLatin1String(" -j1") : QLatin1String(" -j0");
  line += QLatin1String(kWavPackModes[Chosen(o.modeIndex, kWavPackModes, 0)]);
  if (o.hybrid) {
    if (o.bitsPerSample) line += QLatin1String(" -b") + FormatEncoderValue(o.hybridPosition / 10.0);
    if (o.kbitPerSecond) line += QLatin1String(" -b") + QString::number(o.hybridPosition);
  }
  return line + QLatin1String(" -i - ") + Quoted(file);
}

QString AacCommandLine(const AacEncoderOptions& o, const QString& file) {
  constexpr int kAacFileTypes = 3, kRawAac = 0;
  QString line = QStringLiteral("bin/FAAC");
  // MP4 and M4A files have no MPEG version to choose.
  if (Chosen(o.fileTypeIndex, kAacFileTypes, kRawAac) == kRawAac)
    line += QLatin1String(kAacMpegVersions[Chosen(o.mpegIndex, kAacMpegVersions, 0)]);
  if (o.vbr) line += Arg("-q", o.quality);
  if (o.abr) line += Arg("-b", o.bitrate);
  if (o.bandwidthLimit) line += Arg("-c", o.bandwidth);
  return line + QLatin1String(" -o ") + Quoted(file) + QLatin1String(" -");
}

QString MpcCommandLine(const MpcEncoderOptions& o, const QString& file) {
  QString line = QStringLiteral("bin/mppenc --silent --overwrite");
  if (o.preset)
    line += QLatin1String(kMpcPresets[Chosen(o.presetIndex, kMpcPresets, 3)]);
  else if (o.custom)
    line += Arg("--quality", o.qualityPosition / 100.0);
  line += QLatin1String(kMpcMidSide[Chosen(o.midSideIndex, kMpcMidSide, 5)]);
  return line + QLatin1String(" - ") + Quoted(file);
}

QString SpeexCommandLine(const SpeexEncoderOptions& o, const QString& file) {
  const int bitrate =
      SpeexBitrateTable[Chosen(o.bitrateIndex, int(SpeexBitrateTable.size()), SpeexDefaultBitrateIndex)];
  QString line = QStringLiteral("bin/speexenc");
  if (o.abr)
    line += Arg("--abr", bitrate);
  else if (o.vbr)
    line += QLatin1String(" --vbr");
  else
    line += Arg("--bitrate", bitrate);
  line += Arg("--quality", o.quality);
  line += QLatin1String(kSpeexModes[Chosen(o.modeIndex, kSpeexModes, 2)]);
  if (o.vad) line += QLatin1String(" --vad");
  if (o.agc) line += QLatin1String(" --agc");
  if (o.denoise) line += QLatin1String(" --denoise");
  return line + QLatin1String(" - ") + Quoted(file);
}

QString ApeCommandLine(int levelIndex, const QString& file) {
  const int level = Chosen(levelIndex, kApeLevels, 2);
  return QStringLiteral("bin/MAC - ") + Quoted(file) + QLatin1String(" -c") + QString::number((level + 1) * 1000);
}

QString FlacCommandLine(int levelIndex, const QString& file) {
  return QStringLiteral("bin/flac -f --compression-level-") + QString::number(Chosen(levelIndex, kFlacLevels, 5)) +
         QLatin1String(" -o ") + Quoted(file) + QLatin1String(" -");
}

QString TtaCommandLine(const QString& file) { return QStringLiteral("bin/ttaenc -e - -o ") + Quoted(file); }
