// Loading the options sections into the controls and saving them back.
#include <QFile>
#include <QRadioButton>

#include "option_fixture.h"
#include "support/file_replacements.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct KeyValue {
  const char* section;
  const char* key;
  const char* control;
  QVariant value;
};

// Every unconditional key with the value its control shows when the key is absent.
const std::vector<KeyValue>& AbsentTable() {
  static const std::vector<KeyValue> table = {
      {"DAR", "db", "barstartdb", -50}, {"DAR", "Slient", "barslient", 0},
      {"DAR", "Pause", "cslientpause", true}, {"DAR", "Stop", "cslientstop", false},
      {"DAR", "New", "cslientnew", false},
      {"OutPut", "Folder", "Efolder", QStringLiteral("/home/u/Music/My Recordings/")},
      {"OutPut", "Overwrite", "coverwrite", false}, {"OutPut", "Preset", "cprefix", true},
      {"OutPut", "PresetStr", "eprefix", QStringLiteral("Rectest")},
      {"OutPut", "Datatime", "cdatatime", false}, {"OutPut", "DatatimeIndex", "comdatatime", 0},
      {"OutPut", "AutoNumber", "caiu", true},
      {"Misc", "StayonTop", "csot", false}, {"Misc", "OpenFolder", "copen", false},
      {"Misc", "AddtoList", "cadd", true}, {"Misc", "PlayFile", "cplay", true},
      {"Misc", "Run", "cimrun", false}, {"Misc", "MintoTray", "cmintotray", true},
      {"Misc", "Show", "cshowtime", true},
      {"Split", "New", "csplitnew", false}, {"Split", "Stop", "csplitstop", false},
      {"Split", "CustomLength", "esplitcl", QStringLiteral("60")},
      {"Split", "CustomSize", "esplitcs", QStringLiteral("4")}, {"Split", "Limit", "gsplit", 0},
      {"Compressor", "Enable", "ccompressor", false}, {"Compressor", "Gain", "barcomgain", 0},
      {"Compressor", "Attack", "barcomattack", 1}, {"Compressor", "Release", "barcomrelease", 50},
      {"Compressor", "Threshold", "barcomthreshold", -10}, {"Compressor", "Ratio", "barcomratio", 10},
      {"Compressor", "Predelay", "barcompredelay", 0},
      {"AGC", "Enable", "cagc", false}, {"AGC", "Target", "baragctarget", 93},
      {"AGC", "Quiet", "baragcquiet", 2}, {"AGC", "Rate", "baragcrate", 1},
      {"AGC", "Gain", "baragcgain", 100}, {"AGC", "Delay", "baragcdelay", 50},
      {"filters", "LowPass", "clowpass", false}, {"filters", "LowValue", "barfilterlow", 5000},
      {"filters", "HighPass", "chighpass", false}, {"filters", "HighValue", "barfilterhigh", 5000},
      {"filters", "BandPass", "cbandpass", false}, {"filters", "NotchPass", "cnotchpass", false},
      {"filters", "NotchValue", "barnotchpass", 50},
      {"Hotkey", "Enabled", "chotkey", true},
      {"MP3", "Channel", "mp3channelcom", 0}, {"MP3", "Preset", "cmp3preset", true},
      {"MP3", "Presetindex", "mp3presetcom", 1}, {"MP3", "CBR", "cmp3cbr", false},
      {"MP3", "VBR", "cmp3vbr", false}, {"MP3", "Quality", "cbarmp3quality", 4},
      {"MP3", "ABR", "cmp3abr", false}, {"MP3", "ABRBitValue", "udmp3abr", 128},
      {"MP3", "CRC", "cmp3crc", false}, {"MP3", "Copy", "cmp3copy", false},
      {"MP3", "Original", "cmp3non", false},
      {"WMA", "Channel", "wmachannelcom", 1}, {"WMA", "Codec", "wmacodeccom", 0},
      {"WMA", "CBR", "cwmacbr", true}, {"WMA", "VBR", "cwmavbr", false},
      {"OGG", "Channel", "oggchannelcom", 1}, {"OGG", "VBR", "coggquality", true},
      {"OGG", "Quality", "cbaroggquality", 275}, {"OGG", "ABR", "coggaverage", false},
      {"OGG", "Normalbitrate", "oggnorbitratecom", 8}, {"OGG", "Minbitrate", "oggminbitratecom", 0},
      {"OGG", "Maxbitrate", "oggmaxbitratecom", 0},
      {"Lossless", "ApeLevel", "apelevelcom", 2}, {"Lossless", "FlacLevel", "flaclevelcom", 5},
      {"Lossless", "WvChannel", "wvchannelcom", 0}, {"Lossless", "WvCompress", "cwvcompress", false},
      {"Lossless", "Wvbit", "cwvbit", true}, {"Lossless", "WvQuality", "wvqualitycom", 0},
      {"Lossless", "WvCompressorvalue", "barwvcompress", 239},
      {"AAC", "Format", "aacformatcom", 0}, {"AAC", "MPEG", "aacmpegcom", 0},
      {"AAC", "VBR", "caacvbr", true}, {"AAC", "Quality", "baraacquality", 100},
      {"AAC", "ABR", "caacabr", false}, {"AAC", "Bitrate", "baraacabr", 128},
      {"AAC", "BandWith", "caacbandwith", false}, {"AAC", "BandWithHZ", "baraacbandwith", 16000},
      {"MPC", "Format", "mpcformatcom", 0}, {"MPC", "Channel", "mpcchannelcom", 5},
      {"MPC", "Preset", "cmpcpreset", true}, {"MPC", "Presetindex", "mpcpresetcom", 3},
      {"MPC", "CustomPreset", "cmpccustomset", false}, {"MPC", "Quality", "barmpcquality", 500},
      {"Speex", "cbr", "cspeexcbr", true}, {"Speex", "vbr", "cspeexvbr", false},
      {"Speex", "abr", "cspeexabr", false}, {"Speex", "Bitrate", "speexbitratecom", 14},
      {"Speex", "Quality", "barspeexquality", 8}, {"Speex", "Mode", "speexmodecom", 2},
      {"Speex", "VOX", "cspeexvad", false}, {"Speex", "AGC", "cspeexagc", false},
      {"Speex", "RduceNoise", "cspeexnr", false},
  };
  return table;
}

// A file in which every key differs from its default, as far as the
// exclusions allow, and loads without a rule changing any value.
const std::vector<KeyValue>& NonDefaultTable() {
  static const std::vector<KeyValue> table = {
      {"DAR", "db", "barstartdb", -30}, {"DAR", "Slient", "barslient", 10},
      {"DAR", "Pause", "cslientpause", false}, {"DAR", "Stop", "cslientstop", false},
      {"DAR", "New", "cslientnew", true},
      {"OutPut", "Folder", "Efolder", QStringLiteral("/data/rec/")},
      {"OutPut", "Overwrite", "coverwrite", true}, {"OutPut", "Preset", "cprefix", false},
      {"OutPut", "PresetStr", "eprefix", QStringLiteral("Take")},
      {"OutPut", "Datatime", "cdatatime", true}, {"OutPut", "DatatimeIndex", "comdatatime", 3},
      {"OutPut", "AutoNumber", "caiu", false},
      {"Misc", "StayonTop", "csot", true}, {"Misc", "OpenFolder", "copen", true},
      {"Misc", "AddtoList", "cadd", false}, {"Misc", "PlayFile", "cplay", false},
      {"Misc", "Run", "cimrun", true}, {"Misc", "MintoTray", "cmintotray", false},
      {"Misc", "Show", "cshowtime", false},
      {"Split", "New", "csplitnew", true}, {"Split", "Stop", "csplitstop", false},
      {"Split", "CustomLength", "esplitcl", QStringLiteral("90")},
      {"Split", "CustomSize", "esplitcs", QStringLiteral("700")}, {"Split", "Limit", "gsplit", 4},
      {"Compressor", "Enable", "ccompressor", true}, {"Compressor", "Gain", "barcomgain", 6},
      {"Compressor", "Attack", "barcomattack", 2000}, {"Compressor", "Release", "barcomrelease", 300},
      {"Compressor", "Threshold", "barcomthreshold", -20}, {"Compressor", "Ratio", "barcomratio", 4},
      {"Compressor", "Predelay", "barcompredelay", 2},
      {"AGC", "Enable", "cagc", true}, {"AGC", "Target", "baragctarget", 80},
      {"AGC", "Quiet", "baragcquiet", 5}, {"AGC", "Rate", "baragcrate", 3},
      {"AGC", "Gain", "baragcgain", 60}, {"AGC", "Delay", "baragcdelay", 20},
      {"filters", "LowPass", "clowpass", false}, {"filters", "LowValue", "barfilterlow", 1200},
      {"filters", "HighPass", "chighpass", false}, {"filters", "HighValue", "barfilterhigh", 8000},
      {"filters", "BandPass", "cbandpass", true}, {"filters", "NotchPass", "cnotchpass", true},
      {"filters", "NotchValue", "barnotchpass", 30},
      {"Hotkey", "Enabled", "chotkey", false},
      {"MP3", "Channel", "mp3channelcom", 2}, {"MP3", "Preset", "cmp3preset", false},
      {"MP3", "Presetindex", "mp3presetcom", 4}, {"MP3", "CBR", "cmp3cbr", false},
      {"MP3", "VBR", "cmp3vbr", true}, {"MP3", "VBRminindex", "mp3minbitratecom", 5},
      {"MP3", "VBRmaxindex", "mp3maxbitratecom", 15}, {"MP3", "Quality", "cbarmp3quality", 7},
      {"MP3", "ABR", "cmp3abr", true}, {"MP3", "ABRBitValue", "udmp3abr", 192},
      {"MP3", "CRC", "cmp3crc", true}, {"MP3", "Copy", "cmp3copy", true},
      {"MP3", "Original", "cmp3non", true},
      {"WMA", "Channel", "wmachannelcom", 0}, {"WMA", "Codec", "wmacodeccom", 0},
      {"WMA", "CBR", "cwmacbr", true}, {"WMA", "Bitrate", "wmacbrbitratecom", 1},
      {"WMA", "VBR", "cwmavbr", false},
      {"OGG", "Channel", "oggchannelcom", 0}, {"OGG", "VBR", "coggquality", false},
      {"OGG", "Quality", "cbaroggquality", 500}, {"OGG", "ABR", "coggaverage", true},
      {"OGG", "Normalbitrate", "oggnorbitratecom", 3}, {"OGG", "Minbitrate", "oggminbitratecom", 2},
      {"OGG", "Maxbitrate", "oggmaxbitratecom", 10},
      {"Lossless", "ApeLevel", "apelevelcom", 4}, {"Lossless", "FlacLevel", "flaclevelcom", 8},
      {"Lossless", "WvChannel", "wvchannelcom", 1}, {"Lossless", "WvCompress", "cwvcompress", true},
      {"Lossless", "Wvbit", "cwvbit", false}, {"Lossless", "WvQuality", "wvqualitycom", 2},
      {"Lossless", "WvCompressorvalue", "barwvcompress", 3000},
      {"AAC", "Format", "aacformatcom", 1}, {"AAC", "MPEG", "aacmpegcom", 2},
      {"AAC", "VBR", "caacvbr", false}, {"AAC", "Quality", "baraacquality", 200},
      {"AAC", "ABR", "caacabr", true}, {"AAC", "Bitrate", "baraacabr", 96},
      {"AAC", "BandWith", "caacbandwith", true}, {"AAC", "BandWithHZ", "baraacbandwith", 20000},
      {"MPC", "Format", "mpcformatcom", 2}, {"MPC", "Channel", "mpcchannelcom", 7},
      {"MPC", "Preset", "cmpcpreset", false}, {"MPC", "Presetindex", "mpcpresetcom", 5},
      {"MPC", "CustomPreset", "cmpccustomset", true}, {"MPC", "Quality", "barmpcquality", 750},
      {"Speex", "cbr", "cspeexcbr", false}, {"Speex", "vbr", "cspeexvbr", false},
      {"Speex", "abr", "cspeexabr", true}, {"Speex", "Bitrate", "speexbitratecom", 10},
      {"Speex", "Quality", "barspeexquality", 5}, {"Speex", "Mode", "speexmodecom", 1},
      {"Speex", "VOX", "cspeexvad", true}, {"Speex", "AGC", "cspeexagc", true},
      {"Speex", "RduceNoise", "cspeexnr", true},
  };
  return table;
}

void WriteTable(IniFile& ini, const std::vector<KeyValue>& table) {
  for (const KeyValue& kv : table) {
    const QString section = QString::fromLatin1(kv.section), key = QString::fromLatin1(kv.key);
    if (kv.value.typeId() == QMetaType::Bool) ini.WriteBool(section, key, kv.value.toBool());
    else if (kv.value.typeId() == QMetaType::Int) ini.WriteInteger(section, key, kv.value.toInt());
    else ini.WriteString(section, key, kv.value.toString());
  }
}

}  // namespace

TEST_F(OptionDialogTest, NoFileGivesEveryAbsentValue) {
  dlg->LoadSettings();
  for (const KeyValue& kv : AbsentTable())
    EXPECT_EQ(value(QString::fromLatin1(kv.control)), kv.value) << kv.section << "/" << kv.key;
  // The MP3 lists keep the selections they were filled with for 44100 Hz.
  EXPECT_EQ(value("mp3cbrbitratecom"), 11);
  EXPECT_EQ(value("mp3minbitratecom"), 10);
  EXPECT_EQ(value("mp3maxbitratecom"), 12);
  EXPECT_FALSE(QFile::exists(iniPath())) << "loading never writes";
}

TEST_F(OptionDialogTest, TheCodeTableCoversExactlyTheDocumentedKeys) {
  // Guards against a key being saved under another name or in another section.
  QStringList documented, bound;
  for (const KeyValue& kv : NonDefaultTable()) documented << QStringLiteral("%1/%2").arg(kv.section, kv.key);
  documented << "MP3/CBRindex" << "WMA/Quality";
  for (const OptionSetting& s : dlg->Settings()) {
    bound << s.section + "/" + s.key;
    EXPECT_EQ(s.control->objectName().isEmpty(), false);
  }
  documented.sort();
  bound.sort();
  EXPECT_EQ(bound, documented);
}

TEST_F(OptionDialogTest, NonDefaultFileLoadsAndSavesBackUnchanged) {
  IniFile source = ini();
  WriteTable(source, NonDefaultTable());
  dlg->LoadSettings();
  const int wmaRates = as<QComboBox>("wmacbrbitratecom")->count();
  ASSERT_GE(wmaRates, 2) << "the standard WMA codec offers several bitrates";
  for (const KeyValue& kv : NonDefaultTable())
    EXPECT_EQ(value(QString::fromLatin1(kv.control)), kv.value) << kv.section << "/" << kv.key;

  // Save into an empty work folder and compare key by key.
  QTemporaryDir other;
  link.workFolder = other.path() + "/";
  dlg->SaveSettings();
  const IniFile saved = ini();
  for (const KeyValue& kv : NonDefaultTable()) {
    const QString section = QString::fromLatin1(kv.section), key = QString::fromLatin1(kv.key);
    ASSERT_TRUE(saved.HasKey(section, key)) << kv.section << "/" << kv.key;
    EXPECT_EQ(saved.ReadString(section, key, {}), source.ReadString(section, key, {}))
        << kv.section << "/" << kv.key;
  }
  // Keys of modes not chosen are not written.
  EXPECT_FALSE(saved.HasKey("MP3", "CBRindex"));
  EXPECT_FALSE(saved.HasKey("WMA", "Quality"));
  // Neither are the hotkey sections and "Main".
  for (const char* section : {"keystart", "keypause", "keystop", "Main"})
    EXPECT_FALSE(saved.HasKey(section, "hotkey")) << section;
  // The same bytes as writing the values one at a time in the same order.
  EXPECT_EQ(ReadAll(saved.path()), ReadAll(source.path()));
}

TEST_F(OptionDialogTest, SaveReplacesTheFileOnceAndKeepsOtherLines) {
  const QByteArray others = "; mine\n[Plugins]\n  Path = \"x\" \n\n[Main]\nFormat=3\n";
  QFile f(iniPath());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(others);
  f.close();
  dlg->LoadSettings();
  FileReplacements replacements(iniPath());
  dlg->SaveSettings();
  EXPECT_EQ(replacements.count(), 1);
  const QByteArray saved = ReadAll(iniPath());
  EXPECT_TRUE(saved.startsWith(others + "\n[DAR]\ndb=-50\n")) << saved.left(200).toStdString();
  EXPECT_EQ(ini().ReadString("Speex", "RduceNoise", {}), "0");  // the last key is there too
}

TEST_F(OptionDialogTest, ConditionalKeysKeepTheirOldValuesWhenTheirModeIsNotChosen) {
  IniFile file = ini();
  file.WriteInteger("MP3", "CBRindex", 7);
  file.WriteInteger("MP3", "VBRminindex", 2);
  file.WriteInteger("MP3", "VBRmaxindex", 9);
  file.WriteInteger("WMA", "Quality", 3);
  dlg->LoadSettings();
  as<QComboBox>("mp3cbrbitratecom")->setCurrentIndex(1);  // preset chosen: not saved
  dlg->SaveSettings();
  EXPECT_EQ(file.ReadInteger("MP3", "CBRindex", -9), 7);
  EXPECT_EQ(file.ReadInteger("MP3", "VBRminindex", -9), 2);
  EXPECT_EQ(file.ReadInteger("MP3", "VBRmaxindex", -9), 9);
  EXPECT_EQ(file.ReadInteger("WMA", "Quality", -9), 3);

  // CBR chosen: its index is written, the first item included.
  click("cmp3cbr");
  as<QComboBox>("mp3cbrbitratecom")->setCurrentIndex(0);
  dlg->SaveSettings();
  EXPECT_EQ(file.ReadInteger("MP3", "CBRindex", -9), 0);
  EXPECT_EQ(file.ReadInteger("MP3", "VBRminindex", -9), 2);
}

TEST_F(OptionDialogTest, StoredMp3IndexesApplyOnlyForTheChosenModeAndTheFilledList) {
  IniFile file = ini();
  file.WriteBool("MP3", "Preset", false);
  file.WriteBool("MP3", "CBR", true);
  file.WriteInteger("MP3", "CBRindex", 17);  // "320 kbps" is not offered at 8000 Hz
  file.WriteInteger("MP3", "VBRminindex", 2);
  link.sampleIndex = 0;
  dlg->LoadSettings();
  EXPECT_TRUE(value("cmp3cbr").toBool());
  EXPECT_EQ(as<QComboBox>("mp3cbrbitratecom")->count(), 8);
  EXPECT_EQ(value("mp3cbrbitratecom"), 4) << "an index the list lacks keeps the filled selection";
  EXPECT_EQ(value("mp3minbitratecom"), 3) << "VBR not chosen: not applied";
  EXPECT_TRUE(enabled("mp3cbrbitratecom"));
  EXPECT_FALSE(enabled("mp3minbitratecom"));
}

TEST_F(OptionDialogTest, WmaListsAreRebuiltAndTheStoredRateApplied) {
  IniFile file = ini();
  file.WriteInteger("WMA", "Bitrate", 2);
  dlg->LoadSettings();
  auto* rates = as<QComboBox>("wmacbrbitratecom");
  ASSERT_GT(rates->count(), 2);
  EXPECT_EQ(rates->currentIndex(), 2);
  EXPECT_EQ(as<QComboBox>("wmaqualitycom")->count(), 0);
  EXPECT_EQ(dlg->WmaNominalBitrate(), rates->currentText().toInt());

  // An index past the rebuilt list leaves the first entry selected.
  file.WriteInteger("WMA", "Bitrate", 999);
  dlg->LoadSettings();
  EXPECT_EQ(rates->currentIndex(), 0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OptionDialogTest, WmaRebuildWithoutCodecShowsTheMessageAndLeavesListsEmpty) {
  dlg->LoadSettings();
  auto* codec = as<QComboBox>("wmacodeccom");
  codec->setCurrentIndex(1);
  emit codec->activated(1);  // "WMA Pro" offers no rates here
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, QStringLiteral("No Codec on this settings"));
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Information);
  EXPECT_EQ(messages.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(as<QComboBox>("wmacbrbitratecom")->count(), 0);
  messages.shown.clear();
  EXPECT_EQ(dlg->WmaNominalBitrate(), 0);  // empty lists are rebuilt once more
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(OptionDialogTest, HighSampleRateSelectsTheProCodec) {
  link.sampleIndex = 8;
  dlg->FillWmaRateLists();
  EXPECT_EQ(value("wmacodeccom"), 2);
}

TEST_F(OptionDialogTest, WavPackModeComesBackFromWvbit) {
  IniFile file = ini();
  file.WriteBool("Lossless", "Wvbit", false);
  file.WriteInteger("Lossless", "WvCompressorvalue", 5000);
  dlg->LoadSettings();
  EXPECT_TRUE(value("cwvsample").toBool());
  EXPECT_FALSE(value("cwvbit").toBool());
  EXPECT_EQ(value("barwvcompress"), 5000);
  EXPECT_EQ(as<QLabel>("lwvcompress")->text(), QStringLiteral("Value:5000"));

  file.WriteBool("Lossless", "Wvbit", true);
  file.WriteInteger("Lossless", "WvCompressorvalue", 100);
  dlg->LoadSettings();
  EXPECT_TRUE(value("cwvbit").toBool());
  EXPECT_EQ(as<QSlider>("barwvcompress")->maximum(), 239);
  EXPECT_EQ(as<QLabel>("lwvcompress")->text(), QStringLiteral("Value:10"));
}

TEST_F(OptionDialogTest, RulesRunAsValuesAreLoadedInOrder) {
  IniFile file = ini();
  file.WriteInteger("DAR", "Slient", 0);
  file.WriteBool("DAR", "New", true);  // no silent length: stays unchecked
  file.WriteBool("Misc", "AddtoList", false);
  file.WriteBool("Misc", "PlayFile", true);  // applied after "add to list" disabled it
  file.WriteBool("filters", "LowPass", true);
  file.WriteBool("filters", "HighPass", true);  // the later one wins
  file.WriteBool("Split", "Stop", true);
  file.WriteBool("OutPut", "Datatime", true);
  dlg->LoadSettings();
  EXPECT_FALSE(value("cslientnew").toBool());
  EXPECT_TRUE(value("cslientpause").toBool());
  EXPECT_TRUE(value("cplay").toBool());
  EXPECT_FALSE(enabled("cplay"));
  EXPECT_FALSE(value("clowpass").toBool());
  EXPECT_TRUE(value("chighpass").toBool());
  EXPECT_FALSE(enabled("barfilterlow"));
  EXPECT_TRUE(enabled("barfilterhigh"));
  EXPECT_TRUE(enabled("csplit80"));
  EXPECT_FALSE(enabled("esplitcl"));
  EXPECT_TRUE(enabled("comdatatime"));
}

TEST_F(OptionDialogTest, DamagedFileLoadsDefaultsWhereItCannotBeRead) {
  QFile f(iniPath());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  QByteArray junk("\x00\x01garbage without section\n[DAR\ndb=abc\n[DAR]\ndb=-20x\nSlient=0x0A\n"
                  "Pause=yes\n[MP3]\nChannel=77\nPresetindex=-3\nQuality=999\n[Lossless]\n"
                  "ApeLevel=\n[OGG]\nQuality=-99999\n=novalue\n[[Speex]]\nBitrate=3\n",
                  180);
  junk += QByteArray(5000, '\xff');
  f.write(junk);
  f.close();
  dlg->LoadSettings();
  EXPECT_EQ(value("barstartdb"), -50);
  EXPECT_EQ(value("barslient"), 10);           // hexadecimal is read
  EXPECT_EQ(value("cslientpause"), true);      // not an integer: default
  EXPECT_EQ(value("mp3channelcom"), 0);        // no such item: default
  EXPECT_EQ(value("mp3presetcom"), 1);
  EXPECT_EQ(value("cbarmp3quality"), 9);       // the slider clamps
  EXPECT_EQ(value("apelevelcom"), 2);
  EXPECT_EQ(value("cbaroggquality"), -200);
  EXPECT_EQ(value("speexbitratecom"), 14);
  dlg->SaveSettings();                         // and the file can be written again
  EXPECT_EQ(ini().ReadInteger("DAR", "db", 0), -50);
}

TEST_F(OptionDialogTest, SaveFailureRaisesAndOkReportsIt) {
  link.workFolder = dir.path() + "/missing/folder/";
  EXPECT_THROW(dlg->SaveSettings(), EAppError);
  dlg->show();
  click("btnok");
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_TRUE(messages.shown.back().text.startsWith("Unable to write to ")) << messages.shown.back().text.toStdString();
  EXPECT_TRUE(dlg->isVisible()) << "the dialog stays open after a failed save";
  dlg->hide();
}

// Which split limit is chosen comes back after a restart; an index that
// names none gives 74 minutes, as before the key existed.
TEST_F(OptionDialogTest, TheChosenSplitLimitComesBack) {
  const struct {
    const char* stored;
    const char* chosen;
  } cases[] = {{"5", "csplitcs"}, {"4", "csplitcl"}, {"1", "csplit80"}, {"6", "csplit74"},
               {"-1", "csplit74"}, {"x", "csplit74"}, {nullptr, "csplit74"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "absent");
    QFile::remove(iniPath());
    if (c.stored) ini().WriteString("Split", "Limit", QString::fromLatin1(c.stored));
    Tfrmoption fresh(&link);
    fresh.LoadSettings();
    EXPECT_TRUE(fresh.findChild<QRadioButton*>(QString::fromLatin1(c.chosen))->isChecked());
  }
  // Saved as chosen, read by the next start.
  dlg->LoadSettings();
  click("csplitnew");
  click("csplitcl");
  dlg->SaveSettings();
  EXPECT_EQ(ini().ReadInteger("Split", "Limit", -1), 4);
  Tfrmoption next(&link);
  next.LoadSettings();
  EXPECT_EQ(next.SplitLimit(), 60);
  EXPECT_EQ(next.SplitMode(), 0);
}
