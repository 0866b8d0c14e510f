// Every setting of the options sections: section, key, control, the value
// used when the key is absent and the value of the page's "Default" button,
// in the order the file is loaded and saved.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"

void Tfrmoption::BuildSettingsTable() {
  using C = OptionSetting::Condition;
  const QVariant keep;  // the "Default" button leaves the control as it is
  auto add = [this](const char* section, const char* key, QWidget* control, QVariant absent,
                    int page, QVariant pageDefault, C condition = C::Always) {
    FSettings.push_back({QString::fromLatin1(section), QString::fromLatin1(key), control,
                         std::move(absent), page, std::move(pageDefault), condition});
  };
  const auto text = [](const char* s) { return QVariant(QString::fromLatin1(s)); };

  add("DAR", "db", barstartdb, -50, 0, -50);
  add("DAR", "Slient", barslient, 0, 0, 0);
  add("DAR", "Pause", cslientpause, true, 0, true);
  add("DAR", "Stop", cslientstop, false, 0, false);
  add("DAR", "New", cslientnew, false, 0, false);

  // The folder's absent and default value is computed (DefaultOutputFolder).
  add("OutPut", "Folder", Efolder, QVariant(), 1, QVariant());
  add("OutPut", "Overwrite", coverwrite, false, 1, false);
  add("OutPut", "Preset", cprefix, true, 1, true);
  add("OutPut", "PresetStr", eprefix, text("Rectest"), 1, text("Rectest"));
  add("OutPut", "Datatime", cdatatime, false, 1, false);
  add("OutPut", "DatatimeIndex", comdatatime, 0, 1, 0);
  add("OutPut", "AutoNumber", caiu, true, 1, true);

  add("Misc", "StayonTop", csot, false, 2, false);
  add("Misc", "OpenFolder", copen, false, 2, false);
  add("Misc", "AddtoList", cadd, true, 2, true);
  add("Misc", "PlayFile", cplay, true, 2, true);
  add("Misc", "Run", cimrun, false, 2, false);
  add("Misc", "MintoTray", cmintotray, true, 2, false);
  add("Misc", "Show", cshowtime, true, 2, false);

  add("Split", "New", csplitnew, false, 3, false);
  add("Split", "Stop", csplitstop, false, 3, false);
  add("Split", "CustomLength", esplitcl, text("60"), 3, text("60"));
  add("Split", "CustomSize", esplitcs, text("4"), 3, text("4"));
  // Which limit is chosen, by its place in SplitChoiceButtons: 74 min at first.
  add("Split", "Limit", gsplit, 0, 3, 0);

  add("Compressor", "Enable", ccompressor, false, 4, false);
  add("Compressor", "Gain", barcomgain, 0, 4, 0);
  add("Compressor", "Attack", barcomattack, 1, 4, 1);
  add("Compressor", "Release", barcomrelease, 50, 4, 50);
  add("Compressor", "Threshold", barcomthreshold, -10, 4, -10);
  add("Compressor", "Ratio", barcomratio, 10, 4, 10);
  add("Compressor", "Predelay", barcompredelay, 0, 4, 0);

  add("AGC", "Enable", cagc, false, 5, false);
  add("AGC", "Target", baragctarget, 93, 5, 93);
  add("AGC", "Quiet", baragcquiet, 2, 5, 2);
  add("AGC", "Rate", baragcrate, 1, 5, 1);
  add("AGC", "Gain", baragcgain, 100, 5, 100);
  add("AGC", "Delay", baragcdelay, 50, 5, 50);

  add("filters", "LowPass", clowpass, false, 6, false);
  add("filters", "LowValue", barfilterlow, 5000, 6, keep);
  add("filters", "HighPass", chighpass, false, 6, false);
  add("filters", "HighValue", barfilterhigh, 5000, 6, keep);
  add("filters", "BandPass", cbandpass, false, 6, false);
  add("filters", "NotchPass", cnotchpass, false, 6, false);
  add("filters", "NotchValue", barnotchpass, 50, 6, keep);

  // The hotkey page's default is more than a value (ResetPageDefaults).
  add("Hotkey", "Enabled", chotkey, true, 7, keep);

  add("MP3", "Channel", mp3channelcom, 0, 8, 0);
  add("MP3", "Preset", cmp3preset, true, 8, true);
  add("MP3", "Presetindex", mp3presetcom, 1, 8, 1);
  add("MP3", "CBR", cmp3cbr, false, 8, false);
  add("MP3", "CBRindex", mp3cbrbitratecom, -1, 8, keep, C::Mp3Cbr);
  add("MP3", "VBR", cmp3vbr, false, 8, false);
  add("MP3", "VBRminindex", mp3minbitratecom, -1, 8, keep, C::Mp3Vbr);
  add("MP3", "VBRmaxindex", mp3maxbitratecom, -1, 8, keep, C::Mp3Vbr);
  add("MP3", "Quality", cbarmp3quality, 4, 8, 4);
  add("MP3", "ABR", cmp3abr, false, 8, false);
  add("MP3", "ABRBitValue", udmp3abr, 128, 8, 128);
  add("MP3", "CRC", cmp3crc, false, 8, false);
  add("MP3", "Copy", cmp3copy, false, 8, false);
  add("MP3", "Original", cmp3non, false, 8, false);

  add("WMA", "Channel", wmachannelcom, 1, 9, 1);
  add("WMA", "Codec", wmacodeccom, 0, 9, 0);
  add("WMA", "CBR", cwmacbr, true, 9, true);
  // Its default selects the first rate of the rebuilt list (ResetPageDefaults).
  add("WMA", "Bitrate", wmacbrbitratecom, 0, 9, keep, C::WmaCbr);
  add("WMA", "VBR", cwmavbr, false, 9, false);
  add("WMA", "Quality", wmaqualitycom, 0, 9, keep, C::WmaVbr);

  add("OGG", "Channel", oggchannelcom, 1, 10, 1);
  add("OGG", "VBR", coggquality, true, 10, true);
  add("OGG", "Quality", cbaroggquality, 275, 10, 275);
  add("OGG", "ABR", coggaverage, false, 10, false);
  add("OGG", "Normalbitrate", oggnorbitratecom, 8, 10, keep);
  add("OGG", "Minbitrate", oggminbitratecom, 0, 10, keep);
  add("OGG", "Maxbitrate", oggmaxbitratecom, 0, 10, keep);

  add("Lossless", "ApeLevel", apelevelcom, 2, 11, 2);
  add("Lossless", "FlacLevel", flaclevelcom, 5, 11, 5);
  add("Lossless", "WvChannel", wvchannelcom, 0, 11, 0);
  add("Lossless", "WvCompress", cwvcompress, false, 11, false);
  add("Lossless", "Wvbit", cwvbit, true, 11, true);
  add("Lossless", "WvQuality", wvqualitycom, 0, 11, 0);
  add("Lossless", "WvCompressorvalue", barwvcompress, 239, 11, 239);

  add("AAC", "Format", aacformatcom, 0, 12, 0);
  add("AAC", "MPEG", aacmpegcom, 0, 12, 0);
  add("AAC", "VBR", caacvbr, true, 12, true);
  add("AAC", "Quality", baraacquality, 100, 12, 100);
  add("AAC", "ABR", caacabr, false, 12, false);
  add("AAC", "Bitrate", baraacabr, 128, 12, 128);
  add("AAC", "BandWith", caacbandwith, false, 12, false);
  add("AAC", "BandWithHZ", baraacbandwith, 16000, 12, 16000);

  add("MPC", "Format", mpcformatcom, 0, 13, 0);
  add("MPC", "Channel", mpcchannelcom, 5, 13, 5);
  add("MPC", "Preset", cmpcpreset, true, 13, true);
  add("MPC", "Presetindex", mpcpresetcom, 3, 13, 3);
  add("MPC", "CustomPreset", cmpccustomset, false, 13, false);
  add("MPC", "Quality", barmpcquality, 500, 13, 500);

  add("Speex", "cbr", cspeexcbr, true, 14, true);
  add("Speex", "vbr", cspeexvbr, false, 14, false);
  add("Speex", "abr", cspeexabr, false, 14, false);
  add("Speex", "Bitrate", speexbitratecom, 14, 14, 14);
  add("Speex", "Quality", barspeexquality, 8, 14, 8);
  add("Speex", "Mode", speexmodecom, 2, 14, 2);
  add("Speex", "VOX", cspeexvad, false, 14, false);
  add("Speex", "AGC", cspeexagc, false, 14, false);
  add("Speex", "RduceNoise", cspeexnr, false, 14, false);
}
