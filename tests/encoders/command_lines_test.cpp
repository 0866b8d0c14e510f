#include <gtest/gtest.h>

#include <QLocale>
#include <vector>

#include "encoders/bitrate_tables.h"
#include "encoders/command_lines.h"

namespace {

const QString kFile = QStringLiteral("/home/u/Rec test ü.x");
const QString kQuoted = QStringLiteral("\"/home/u/Rec test ü.x\"");

struct LineCase {
  const char* what;
  QString line;
  QString expected;
};

// Built when asked, so that each run formats its values under the locale of the moment.
std::vector<LineCase> Cases() {
  const Mp3BitrateLists at44100 = Mp3BitrateListsFor(5);
  const Mp3EncoderOptions mp3Vbr{.preset = false, .vbr = true, .minIndex = at44100.minIndex,
                                 .maxIndex = at44100.maxIndex, .quality = 4, .sampleRateIndex = 5};
  Mp3EncoderOptions mp3VbrFlags = mp3Vbr;
  mp3VbrFlags.channelModeIndex = 2;
  mp3VbrFlags.crc = mp3VbrFlags.copyright = mp3VbrFlags.nonOriginal = true;
  Mp3EncoderOptions mp3Abr = mp3Vbr;
  mp3Abr.abr = true;
  mp3Abr.abrBitrate = 200;
  const Mp3EncoderOptions mp3MonoInsane{.channelModeIndex = 4, .presetIndex = 5};
  const OggEncoderOptions oggMono{.channelIndex = 0, .qualityPosition = -150};
  const OggEncoderOptions oggAverage{.qualityMode = false, .average = true, .nominalIndex = 9};
  const OggEncoderOptions oggAverageMinMax{.average = true, .nominalIndex = 9, .minIndex = 1, .maxIndex = 14};

  return {
      // MP3
      {"mp3 defaults", Mp3CommandLine({}, 2, kFile), "bin/lame  --preset standard - " + kQuoted},
      {"mp3 vbr", Mp3CommandLine(mp3Vbr, 2, kFile), "bin/lame  -b 112 -V 4 -B 144 - " + kQuoted},
      {"mp3 vbr, joint stereo and header flags", Mp3CommandLine(mp3VbrFlags, 2, kFile),
       "bin/lame  -b 112 -m j -p -c -o -V 4 -B 144 - " + kQuoted},
      {"mp3 abr", Mp3CommandLine(mp3Abr, 2, kFile), "bin/lame  -b 112 --abr 200 -B 144 - " + kQuoted},
      {"mp3 cbr", Mp3CommandLine({.preset = false, .cbr = true, .cbrIndex = 17}, 2, kFile),
       "bin/lame  -b 320 - " + kQuoted},
      {"mp3 mono of two channels", Mp3CommandLine(mp3MonoInsane, 2, kFile),
       "bin/lame  -a --preset insane -m m - " + kQuoted},
      {"mp3 mono of one channel", Mp3CommandLine(mp3MonoInsane, 1, kFile),
       "bin/lame  --preset insane -m m - " + kQuoted},
      // OGG
      {"ogg defaults", OggCommandLine({}, 2, kFile), "bin/oggenc2 -q 2.75 - -o" + kQuoted},
      {"ogg negative quality, mono of two", OggCommandLine(oggMono, 2, kFile),
       "bin/oggenc2 --downmix --quality -1.5 - -o" + kQuoted},
      {"ogg mono of one", OggCommandLine(oggMono, 1, kFile), "bin/oggenc2 --quality -1.5 - -o" + kQuoted},
      {"ogg quality 10", OggCommandLine({.qualityPosition = 1000}, 2, kFile), "bin/oggenc2 -q 10 - -o" + kQuoted},
      {"ogg average of the \"160 kpbs\" item", OggCommandLine(oggAverage, 2, kFile),
       "bin/oggenc2 -b 160 - -o" + kQuoted},
      {"ogg quality with average, min and max", OggCommandLine(oggAverageMinMax, 2, kFile),
       "bin/oggenc2 -q 2.75 -b 160 -m 32 -M 320 - -o" + kQuoted},
      // WavPack
      {"wavpack defaults", WavPackCommandLine({}, kFile), "bin/wavpack -j1 -i - " + kQuoted},
      {"wavpack bits per sample",
       WavPackCommandLine({.channelIndex = 1, .modeIndex = 2, .hybrid = true, .hybridPosition = 239}, kFile),
       "bin/wavpack -j0 -h -b23.9 -i - " + kQuoted},
      {"wavpack whole bits per sample", WavPackCommandLine({.hybrid = true, .hybridPosition = 20}, kFile),
       "bin/wavpack -j1 -b2 -i - " + kQuoted},
      {"wavpack kbit/s",
       WavPackCommandLine(
           {.modeIndex = 1, .hybrid = true, .bitsPerSample = false, .kbitPerSecond = true, .hybridPosition = 9600},
           kFile),
       "bin/wavpack -j1 -f -b9600 -i - " + kQuoted},
      {"wavpack hybrid off", WavPackCommandLine({.hybrid = false, .hybridPosition = 100}, kFile),
       "bin/wavpack -j1 -i - " + kQuoted},
      // AAC
      {"aac defaults", AacCommandLine({}, kFile), "bin/FAAC -q 100 -o " + kQuoted + " -"},
      {"aac mpeg 4, abr and bandwidth",
       AacCommandLine({.mpegIndex = 2, .vbr = false, .abr = true, .bitrate = 192, .bandwidthLimit = true,
                       .bandwidth = 20000},
                      kFile),
       "bin/FAAC --mpeg-vers 4 -b 192 -c 20000 -o " + kQuoted + " -"},
      {"aac mpeg 2", AacCommandLine({.mpegIndex = 1}, kFile), "bin/FAAC --mpeg-vers 2 -q 100 -o " + kQuoted + " -"},
      {"mp4 file without mpeg version", AacCommandLine({.fileTypeIndex = 1, .mpegIndex = 1}, kFile),
       "bin/FAAC -q 100 -o " + kQuoted + " -"},
      // Musepack
      {"mpc defaults (2/6 db adds no --ms)", MpcCommandLine({}, kFile),
       "bin/mppenc --silent --overwrite --standard - " + kQuoted},
      {"mpc braindead, 3/oo db", MpcCommandLine({.presetIndex = 6, .midSideIndex = 8}, kFile),
       "bin/mppenc --silent --overwrite --braindead --ms 15 - " + kQuoted},
      {"mpc custom quality, enhanced",
       MpcCommandLine({.preset = false, .custom = true, .qualityPosition = 275, .midSideIndex = 4}, kFile),
       "bin/mppenc --silent --overwrite --quality 2.75 --ms 10 - " + kQuoted},
      {"mpc custom quality 10, off",
       MpcCommandLine({.preset = false, .custom = true, .qualityPosition = 1000, .midSideIndex = 0}, kFile),
       "bin/mppenc --silent --overwrite --quality 10 --ms 0 - " + kQuoted},
      // Speex
      {"speex cbr", SpeexCommandLine({}, kFile), "bin/speexenc --bitrate 32 --quality 8 -u - " + kQuoted},
      {"speex abr", SpeexCommandLine({.abr = true, .bitrateIndex = 0, .quality = 10, .modeIndex = 1}, kFile),
       "bin/speexenc --abr 2 --quality 10 -w - " + kQuoted},
      {"speex vbr with every option",
       SpeexCommandLine({.vbr = true, .quality = 0, .modeIndex = 0, .vad = true, .agc = true, .denoise = true},
                        kFile),
       "bin/speexenc --vbr --quality 0 -n --vad --agc --denoise - " + kQuoted},
      // APE, FLAC, TTA
      {"ape insane", ApeCommandLine(4, kFile), "bin/MAC - " + kQuoted + " -c5000"},
      {"ape fast", ApeCommandLine(0, kFile), "bin/MAC - " + kQuoted + " -c1000"},
      {"flac best", FlacCommandLine(8, kFile), "bin/flac -f --compression-level-8 -o " + kQuoted + " -"},
      {"flac fast", FlacCommandLine(0, kFile), "bin/flac -f --compression-level-0 -o " + kQuoted + " -"},
      {"tta", TtaCommandLine(kFile), "bin/ttaenc -e - -o " + kQuoted},

      // Lists without a selection (or with an index they do not hold) count
      // as their default selection.
      {"mp3 lists without selection", Mp3CommandLine({.channelModeIndex = -1, .presetIndex = -1}, 2, kFile),
       "bin/lame  --preset standard - " + kQuoted},
      {"mp3 vbr lists without selection",
       Mp3CommandLine({.preset = false, .vbr = true, .minIndex = -1, .maxIndex = -1}, 2, kFile),
       "bin/lame  -b 112 -V 4 -B 144 - " + kQuoted},
      {"mp3 cbr list without selection",
       Mp3CommandLine({.preset = false, .cbr = true, .cbrIndex = -1}, 2, kFile), "bin/lame  -b 128 - " + kQuoted},
      {"mp3 cbr item not offered at 8000 Hz",
       Mp3CommandLine({.preset = false, .cbr = true, .cbrIndex = 17, .sampleRateIndex = 0}, 2, kFile),
       "bin/lame  -b 40 - " + kQuoted},
      {"ogg lists without selection",
       OggCommandLine({.channelIndex = -1, .average = true, .nominalIndex = -1, .minIndex = -1, .maxIndex = 15},
                      2, kFile),
       "bin/oggenc2 -q 2.75 -b 128 - -o" + kQuoted},
      {"wavpack lists without selection", WavPackCommandLine({.channelIndex = -1, .modeIndex = -1}, kFile),
       "bin/wavpack -j1 -i - " + kQuoted},
      {"aac lists without selection", AacCommandLine({.fileTypeIndex = -1, .mpegIndex = 2}, kFile),
       "bin/FAAC --mpeg-vers 4 -q 100 -o " + kQuoted + " -"},
      {"aac mpeg list without selection", AacCommandLine({.mpegIndex = -1}, kFile),
       "bin/FAAC -q 100 -o " + kQuoted + " -"},
      {"mpc lists without selection", MpcCommandLine({.presetIndex = -1, .midSideIndex = -1}, kFile),
       "bin/mppenc --silent --overwrite --standard - " + kQuoted},
      {"speex lists without selection", SpeexCommandLine({.bitrateIndex = -1, .modeIndex = -1}, kFile),
       "bin/speexenc --bitrate 32 --quality 8 -u - " + kQuoted},
      {"ape list without selection", ApeCommandLine(-1, kFile), "bin/MAC - " + kQuoted + " -c3000"},
      {"flac list without selection", FlacCommandLine(-1, kFile),
       "bin/flac -f --compression-level-5 -o " + kQuoted + " -"},
  };
}

// Under a locale with a decimal comma the values keep their ".".
TEST(EncoderCommandLines, AreComposedFromTheOptionsInAnyLocale) {
  const QLocale before;
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German)}) {
    QLocale::setDefault(locale);
    for (const LineCase& c : Cases())
      EXPECT_EQ(c.line, c.expected) << c.what << " (" << locale.name().toStdString() << ")";
  }
  QLocale::setDefault(before);
}

}  // namespace
