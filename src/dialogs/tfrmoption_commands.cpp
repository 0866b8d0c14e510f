// The encoder pages' values handed to the command line builders.
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>

#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "encoders/command_lines.h"

QString Tfrmoption::BuildMp3CommandLine(int channelCount, const QString& file) const {
  Mp3EncoderOptions o;
  o.channelModeIndex = mp3channelcom->currentIndex();
  o.preset = cmp3preset->isChecked();
  o.presetIndex = mp3presetcom->currentIndex();
  o.cbr = cmp3cbr->isChecked();
  o.cbrIndex = mp3cbrbitratecom->currentIndex();
  o.vbr = cmp3vbr->isChecked();
  o.minIndex = mp3minbitratecom->currentIndex();
  o.maxIndex = mp3maxbitratecom->currentIndex();
  o.quality = cbarmp3quality->value();
  o.abr = cmp3abr->isChecked();
  // The edit's number as the up-down reads it (as for the nominal bitrate):
  // kept inside the ABR range, the last valid one while the edit holds none,
  // so the line never gets an empty or stray value.
  o.abrBitrate = udmp3abr->position();
  o.crc = cmp3crc->isChecked();
  o.copyright = cmp3copy->isChecked();
  o.nonOriginal = cmp3non->isChecked();
  o.sampleRateIndex = FMp3ListsRateIndex;
  return Mp3CommandLine(o, channelCount, file);
}

QString Tfrmoption::BuildOggCommandLine(int channelCount, const QString& file) const {
  OggEncoderOptions o;
  o.channelIndex = oggchannelcom->currentIndex();
  o.qualityMode = coggquality->isChecked();
  o.qualityPosition = cbaroggquality->value();
  o.average = coggaverage->isChecked();
  o.nominalIndex = oggnorbitratecom->currentIndex();
  o.minIndex = oggminbitratecom->currentIndex();
  o.maxIndex = oggmaxbitratecom->currentIndex();
  return OggCommandLine(o, channelCount, file);
}

QString Tfrmoption::BuildWavPackCommandLine(const QString& file) const {
  WavPackEncoderOptions o;
  o.channelIndex = wvchannelcom->currentIndex();
  o.modeIndex = wvqualitycom->currentIndex();
  o.hybrid = cwvcompress->isChecked();
  o.bitsPerSample = cwvbit->isChecked();
  o.kbitPerSecond = cwvsample->isChecked();
  o.hybridPosition = barwvcompress->value();
  return WavPackCommandLine(o, file);
}

QString Tfrmoption::BuildAacCommandLine(const QString& file) const {
  AacEncoderOptions o;
  o.fileTypeIndex = aacformatcom->currentIndex();
  o.mpegIndex = aacmpegcom->currentIndex();
  o.vbr = caacvbr->isChecked();
  o.quality = baraacquality->value();
  o.abr = caacabr->isChecked();
  o.bitrate = baraacabr->value();
  o.bandwidthLimit = caacbandwith->isChecked();
  o.bandwidth = baraacbandwith->value();
  return AacCommandLine(o, file);
}

QString Tfrmoption::BuildMpcCommandLine(const QString& file) const {
  MpcEncoderOptions o;
  o.preset = cmpcpreset->isChecked();
  o.presetIndex = mpcpresetcom->currentIndex();
  o.custom = cmpccustomset->isChecked();
  o.qualityPosition = barmpcquality->value();
  o.midSideIndex = mpcchannelcom->currentIndex();
  return MpcCommandLine(o, file);
}

QString Tfrmoption::BuildSpeexCommandLine(const QString& file) const {
  SpeexEncoderOptions o;
  o.abr = cspeexabr->isChecked();
  o.vbr = cspeexvbr->isChecked();
  o.bitrateIndex = speexbitratecom->currentIndex();
  o.quality = barspeexquality->value();
  o.modeIndex = speexmodecom->currentIndex();
  o.vad = cspeexvad->isChecked();
  o.agc = cspeexagc->isChecked();
  o.denoise = cspeexnr->isChecked();
  return SpeexCommandLine(o, file);
}
