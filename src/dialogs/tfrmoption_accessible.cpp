// What a screen reader reads of the options: every list, slider and field is
// named after what it sets (its caption, or the value label above it without
// the value), with the page's name where another page has the same caption.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidget>

#include "dialogs/tfrmoption.h"
#include "dialogs/up_down.h"
#include "services/accessible_names.h"

void Tfrmoption::NameControls() {
  const struct {
    QWidget* control;
    const char* name;
  } names[] = {
      {treeopt, "Option pages"},
      // Silence handling.
      {barstartdb, "Silence level threshold"},
      {barslient, "Silent length"},
      // Output.
      {Efolder, "Output folder"},
      {eprefix, "Prefix string"},
      {comdatatime, "Date and time format"},
      // Split recording.
      {esplitcl, "Custom length in seconds"},
      {esplitcs, "Custom file size in MB"},
      // Compressor.
      {barcomgain, "Compressor gain"},
      {barcomattack, "Compressor attack"},
      {barcomrelease, "Compressor release"},
      {barcomthreshold, "Compressor threshold"},
      {barcomratio, "Compressor ratio"},
      {barcompredelay, "Compressor predelay"},
      // Automatic gain control.
      {baragctarget, "AGC target"},
      {baragcquiet, "AGC quiet"},
      {baragcrate, "AGC rate"},
      {baragcgain, "AGC gain"},
      {baragcdelay, "AGC delay"},
      // Filters.
      {barfilterlow, "Low cut"},
      {barfilterhigh, "High cut"},
      {barnotchpass, "Notch pass"},
      // Hot key.
      {cobaction, "Hot key action"},
      {cboHotkey, "Hot key"},
      // MP3.
      {mp3channelcom, "MP3 channel"},
      {mp3presetcom, "MP3 preset"},
      {mp3cbrbitratecom, "MP3 CBR bitrate"},
      {mp3minbitratecom, "MP3 minimum bitrate"},
      {mp3maxbitratecom, "MP3 maximum bitrate"},
      {cbarmp3quality, "MP3 quality"},
      {emp3abr, "MP3 ABR bitrate"},
      // WMA.
      {wmachannelcom, "WMA channel"},
      {wmacodeccom, "WMA codec"},
      {cwmacbr, "WMA CBR"},
      {cwmavbr, "WMA VBR"},
      {wmacbrbitratecom, "WMA bitrate (kbps)"},
      {wmaqualitycom, "WMA quality"},
      // OGG.
      {oggchannelcom, "OGG channel"},
      {cbaroggquality, "OGG quality"},
      {oggnorbitratecom, "OGG normal bitrate"},
      {oggminbitratecom, "OGG minimum bitrate"},
      {oggmaxbitratecom, "OGG maximum bitrate"},
      // Lossless codecs.
      {apelevelcom, "APE compress level"},
      {flaclevelcom, "FLAC compress level"},
      {wvchannelcom, "Wavpack channels"},
      {wvqualitycom, "Wavpack mode"},
      {barwvcompress, "Wavpack hybrid compression"},
      // AAC.
      {aacformatcom, "AAC format type"},
      {aacmpegcom, "AAC Mpeg version"},
      {caacvbr, "AAC VBR"},
      {caacabr, "AAC ABR"},
      {baraacquality, "AAC quality"},
      {baraacabr, "AAC bitrate"},
      {baraacbandwith, "AAC maximum bandwidth"},
      // MPC.
      {mpcformatcom, "MPC format type"},
      {mpcchannelcom, "MPC channel mode"},
      {mpcpresetcom, "MPC preset"},
      {barmpcquality, "MPC quality"},
      // Speex.
      {cspeexcbr, "Speex CBR"},
      {cspeexabr, "Speex ABR"},
      {cspeexvbr, "Speex VBR"},
      {speexbitratecom, "Speex bitrate"},
      {barspeexquality, "Speex quality"},
      {speexmodecom, "Speex mode"},
  };
  for (const auto& n : names) accessible::Name(n.control, QString::fromLatin1(n.name));
  accessible::NameFromHint(SpeedButton1);
  udmp3abr->setArrowNames(QStringLiteral("MP3 ABR bitrate"));
}
