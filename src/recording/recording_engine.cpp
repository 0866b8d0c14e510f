#include "recording/recording_engine.h"

#include "recording/recording_formats.h"
#include "services/message_service.h"

using namespace zaudio;

namespace {
constexpr DWORD kMixerPull = 10000;  // bytes per mixer pull in the capture callback
}

RecordingEngine::RecordingEngine(FailureProc onFailure)
    : onFailure_(std::move(onFailure)), pullBlock_(kMixerPull) {}

RecordingEngine::~RecordingEngine() { stop(); }

bool RecordingEngine::start(const CaptureRequest& capture, const WriterRequest& writer,
                            const SilenceSettings& silence, bool silenceOn) {
  stop();
  FDar = silence;
  FDarOn = silenceOn;
  FInSilence = false;
  FSilentSeconds = 0;
  mixerPath_ = capture.mixerPath;
  bits_ = capture.bits;
  const DWORD sampleFlags = SampleFlagsFor(capture.bits);

  // Every capture opens paused: it runs once the writer and the chain are on it.
  HRECORD record = 0;
  if (capture.mixerPath) {
    Info out;
    if (GetInfo(&out))
      record = RecordStart(out.freq, out.speakers, sampleFlags | RECORD_PAUSE,
                           [this](HRECORD h, const void* b, DWORD n) { return RecordToMixer(h, b, n); });
    if (record != 0) {
      FMixer = Mixer_StreamCreate(static_cast<DWORD>(capture.rate), 2, STREAM_DECODE | MIXER_END);
      FPushStream = StreamCreate(out.freq, out.speakers, sampleFlags | STREAM_DECODE, STREAMPROC_PUSH);
      Mixer_StreamAddChannel(FMixer, FPushStream, SPEAKER_FRONT);
    }
  } else {
    record = RecordStart(static_cast<DWORD>(capture.rate), static_cast<DWORD>(capture.channels),
                         sampleFlags | RECORD_PAUSE,
                         [this](HRECORD h, const void* b, DWORD n) { return RecordDirect(h, b, n); });
  }
  if (record == 0) {
    release();
    Messages().show(MsgKind::Error, CaptureFailureText(capture.bits), MsgButtons::Ok);
    return false;
  }
  FRecordChannel = record;

  const HENCODE encoder = startWriter(writer);
  if (encoder == 0) {
    release();
    Messages().show(MsgKind::Error, WriterFailureText(writer.format, capture.mixerPath), MsgButtons::Ok);
    return false;
  }
  FEncoder = encoder;
  ChannelSetSync(record, SYNC_DEV_FAIL, 0,
                 [this](HSYNC, DWORD channel, DWORD, void*) {
                   if (onFailure_) onFailure_(RecordingFailure::DeviceGone, channel, QString());
                 },
                 nullptr);
  return true;
}

HENCODE RecordingEngine::startWriter(const WriterRequest& writer) {
  const DWORD host = mixerPath_ ? FMixer.load() : FRecordChannel.load();
  if (writer.target.isEmpty()) return 0;
  const HENCODE encoder =
      Encode_Start(host, writer.target.toUtf8().constData(), EncoderFlagsFor(bits_, writer.wavFile), nullptr, nullptr);
  if (encoder != 0) watch(encoder);
  return encoder;
}

void RecordingEngine::watch(HENCODE encoder) {
  Encode_SetNotify(
      encoder,
      [this](HENCODE h, DWORD status, void*) {
        if (!onFailure_) return;
        const RecordingFailure f = status == ENCODE_NOTIFY_QUEUE_FULL     ? RecordingFailure::EncoderBehind
                                   : status == ENCODE_NOTIFY_WRITE_FAILED ? RecordingFailure::WriteFailed
                                                                          : RecordingFailure::EncoderEnded;
        onFailure_(f, h, encoderMessage(h));
      },
      nullptr);
}

bool RecordingEngine::play() { return FRecordChannel != 0 && ChannelPlay(FRecordChannel, false); }

bool RecordingEngine::nextFile(const WriterRequest& writer, bool& previousWritten) {
  if (FRecordChannel == 0) return false;
  const DWORD host = mixerPath_ ? FMixer.load() : FRecordChannel.load();
  // Under the lock no block is processed: the old writer gets everything up
  // to here, the new one everything after.
  ChannelLock(host, true);
  const HENCODE next = startWriter(writer);
  const HENCODE previous = FEncoder.load();
  if (next != 0) {
    FEncoder = next;
    Encode_SetPaused(previous, true);
  }
  ChannelLock(host, false);
  if (next == 0) {
    Messages().show(MsgKind::Error, WriterFailureText(writer.format, mixerPath_), MsgButtons::Ok);
    return false;
  }
  FInSilence = false;
  FSilentSeconds = 0;
  previousWritten = Encode_Stop(previous);  // completes the previous file while the capture goes on
  return true;
}

bool RecordingEngine::pause() { return FRecordChannel != 0 && ChannelPause(FRecordChannel); }
bool RecordingEngine::resume() { return play(); }
bool RecordingEngine::paused() const { return ChannelIsActive(FRecordChannel) == ACTIVE_PAUSED; }

bool RecordingEngine::stop() {
  const HRECORD record = FRecordChannel.load();
  if (record == 0) return true;
  // Pausing hands over everything captured so far (through the mixer, too);
  // the writer then completes with all of it before the capture is freed.
  if (ChannelIsActive(record) == ACTIVE_PLAYING) ChannelPause(record);
  if (mixerPath_) {
    StreamPutData(FPushStream, nullptr, STREAMPROC_END);
    PullMixerDry();
  }
  const bool written = Encode_Stop(FEncoder);
  release();
  return written;
}

void RecordingEngine::release() {
  if (const HRECORD record = FRecordChannel.exchange(0)) ChannelStop(record);
  if (const HSTREAM mixer = FMixer.exchange(0)) StreamFree(mixer);
  if (const HSTREAM push = FPushStream.exchange(0)) StreamFree(push);
  FEncoder = 0;
  FInSilence = false;
  FSilentSeconds = 0;
}

std::uint64_t RecordingEngine::receivedBytes() const {
  const QWORD n = Encode_GetCount(FEncoder, ENCODE_COUNT_IN);
  return n == QWORD(-1) ? 0 : n;
}

QString RecordingEngine::encoderMessage(HENCODE encoder) const {
  return QString::fromStdString(Encode_GetMessage(encoder));
}

void RecordingEngine::resumeFromSilence() {
  FInSilence = false;
  Encode_SetPaused(FEncoder, false);
}

void RecordingEngine::suspendForSilence() { Encode_SetPaused(FEncoder, true); }

// The capture callbacks, on the library's recording thread.

bool RecordingEngine::RecordDirect(HRECORD channel, const void*, DWORD) {
  CheckSilence(channel);
  return true;
}

bool RecordingEngine::RecordToMixer(HRECORD channel, const void* buffer, DWORD length) {
  StreamPutData(FPushStream, buffer, length);
  PullMixerDry();
  CheckSilence(channel);
  return true;
}

// The encoder on the mixer takes the data as it is pulled.
void RecordingEngine::PullMixerDry() {
  const HSTREAM mixer = FMixer.load();
  while (ChannelIsActive(mixer) != ACTIVE_STOPPED) {
    const DWORD got = ChannelGetData(mixer, pullBlock_.data(), kMixerPull);
    if (got == 0 || got == DATA_ERROR) break;
  }
}

void RecordingEngine::CheckSilence(DWORD channel) {
  if (!FDarOn) return;
  const int db = ChannelLevelDb(ChannelGetLevel(channel));
  if (db > FDar.thresholdDb) {
    Encode_SetPaused(FEncoder, false);
    FInSilence = false;
    FSilentSeconds = 0;
  } else if (!FInSilence) {
    if (FDar.silentLength == 0) Encode_SetPaused(FEncoder, true);
    FInSilence = true;
  }
}
