#include "recording/recording_formats.h"

#include <array>

#include "audio/zaudio.h"

namespace {

struct FormatTexts {
  const char* info;
  const char* mixerFailure;
  const char* directFailure;
};

// The texts are shown as they are, spelling included.
constexpr std::array<FormatTexts, kFormatCount> kTexts{{
    {"WAVE PCM", "Couldn't use WAVE Encoder", "Couldn't use WAVE Encoder"},
    {"MPEG Layer III (MP3)", "Couldn't use MP3 Encoder", "Couldn't use MP3 Encoder"},
    {"Windows Miedia Audio (WMA)", "Couldn't use WMA Encoder", "Couldn't use WMA Encoder"},
    {"OGG Vorbis (OGG)", "Couldn't use OGG Encoder", "Couldn't use OGG Encoder"},
    {"Monkey's Audio Format (APE)", "Couldn't use APE Encoder", "Couldn't start APE Encorder!"},
    {"Free Lossless Audio Codec (FLAC)", "Couldn't use FALC Encoder", "Couldn't start FLAC Encorder!"},
    {"True Audio Codec (TTA)", "Couldn't use TTA Encoder", "Couldn't start TTA Encorder!"},
    {"Hybrid Lossless WaveFile (WavPack)", "Couldn't use WAVPack Encoder", "Couldn't start WAVPACK Encorder!"},
    {"Advanced Audio Coding (AAC/MP4)", "Couldn't use AAC Encoder", "Couldn't start AAC Encorder!"},
    {"Musepack living Audio Compressor (MPC)", "Couldn't use MPC Encoder", "Couldn't start MPC Encorder!"},
    {"Speex for Voice (SPX)", "Couldn't use SPEEX Encoder", "Couldn't start SPEEX Encorder!"},
}};

bool Known(int format) { return format >= 0 && format < kFormatCount; }

}  // namespace

QString FormatInfoText(int format) {
  return Known(format) ? QString::fromLatin1(kTexts[size_t(format)].info) : QString();
}

QString WriterFailureText(int format, bool mixerPath) {
  if (!Known(format)) return QString();
  const FormatTexts& t = kTexts[size_t(format)];
  return QString::fromLatin1(mixerPath ? t.mixerFailure : t.directFailure);
}

std::optional<QString> BitDepthRefusal(int format, int bits) {
  switch (format) {
    case kApe:
      if (bits == 8 || bits == 32) return QStringLiteral("APE Encoder only support 16bit and 24bit");
      break;
    case kFlac:
      if (bits == 32) return QStringLiteral("FLAC Encoder not support 32bit");
      break;
    case kTta:
      if (bits == 32) return QStringLiteral("TTA Encoder not support 32bit");
      break;
    case kWv:
      if (bits == 32) return QStringLiteral("WAVPACK Encoder not support 32bit");
      break;
    case kSpx:
      if (bits == 24 || bits == 32) return QStringLiteral("Speex Encoder not support 24bit and 32bit!");
      break;
    default:
      break;
  }
  return std::nullopt;
}

QString CaptureFailureText(int bits) {
  if (bits <= 16) return QStringLiteral("Couldn't start recording!");
  return QStringLiteral("Your system not support ") + QString::number(bits) + QStringLiteral("bits Recording");
}

QString RecordingStatusText(const StatusChoices& c) {
  QString text = QStringLiteral("Recording...");
  if (c.dar) {
    if (c.pauseAction) text += QStringLiteral("(DAR Mode Pause Action)");
    if (c.stopAction) text += QStringLiteral("(DAR Mode Stop Action)");
    if (c.newFileAction) text += QStringLiteral("(DAR Mode New Action)");
  }
  if (c.splitMode == 0) text += QStringLiteral("(Split Length Mode)");
  if (c.splitMode == 1) text += QStringLiteral("(Split Size Mode)");
  return text;
}

unsigned SampleFlagsFor(int bits) {
  if (bits == 8) return zaudio::SAMPLE_8BITS;
  if (bits > 16) return zaudio::SAMPLE_FLOAT;
  return 0;
}

unsigned EncoderFlagsFor(int bits, bool wavFile) {
  return static_cast<unsigned>(bits / 4) | (wavFile ? 0x40u : 0u);
}
