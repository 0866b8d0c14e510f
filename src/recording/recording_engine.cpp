#include "recording/recording_engine.h"

#include <algorithm>

#include "audio/sample_convert.h"
#include "audio/wma_writer.h"
#include "recording/failure_causes.h"
#include "recording/recording_formats.h"
#include "services/message_service.h"

using namespace zaudio;

namespace {
constexpr DWORD kMixerPull = 10000;   // bytes per mixer pull in the capture callback
constexpr DWORD kWmaMixerPull = 1024; // bytes per mixer pull into the WMA writer
// The watch for sound runs after the filters and effects, as the level the
// silence check reads does.
constexpr int kAfterEveryEffect = -1000000;

QString WriterFailureWithCause(const WriterRequest& writer, bool mixerPath) {
  return WithCause(WriterFailureText(writer.format, mixerPath),
                   writer.file.isEmpty() ? QString() : WriteFailureCause(writer.file));
}
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
  FAwaitingSound = false;
  mixerPath_ = capture.mixerPath;
  wma_ = writer.format == kWma;
  bits_ = capture.bits;
  channels_ = capture.channels;
  const DWORD sampleFlags = SampleFlagsFor(capture.bits);

  // Every capture opens paused: it runs once the writer and the chain are on it.
  HRECORD record = 0;
  if (capture.mixerPath) {
    Info out;
    RECORDPROC proc = [this](HRECORD h, const void* b, DWORD n) {
      return wma_ ? RecordWmaToMixer(h, b, n) : RecordToMixer(h, b, n);
    };
    if (GetInfo(&out)) record = RecordStart(out.freq, out.speakers, sampleFlags | RECORD_PAUSE, std::move(proc));
    captureFormat_ = CaptureFormat{out.freq, out.speakers, SampleTypeFor(sampleFlags)};
    if (record != 0) {
      // Two 16-bit channels; for WMA as many as the WMA writer is opened with.
      const DWORD mixed = wma_ ? static_cast<DWORD>(capture.channels) : 2;
      FMixer = Mixer_StreamCreate(static_cast<DWORD>(capture.rate), mixed, STREAM_DECODE | MIXER_END);
      FPushStream = StreamCreate(out.freq, out.speakers, sampleFlags | STREAM_DECODE, STREAMPROC_PUSH);
      Mixer_StreamAddChannel(FMixer, FPushStream, SPEAKER_FRONT);
    }
  } else {
    RECORDPROC proc = [this](HRECORD h, const void* b, DWORD n) {
      return wma_ ? RecordWmaDirect(h, b, n) : RecordDirect(h, b, n);
    };
    record = RecordStart(static_cast<DWORD>(capture.rate), static_cast<DWORD>(capture.channels),
                         sampleFlags | RECORD_PAUSE, std::move(proc));
    captureFormat_ = CaptureFormat{static_cast<DWORD>(capture.rate), static_cast<DWORD>(capture.channels),
                                   SampleTypeFor(sampleFlags)};
  }
  // Read at once: the library keeps the last error per call.
  const QString captureCause = record == 0 ? CaptureFailureCause(ErrorGetCode()) : QString();
  if (record == 0) {
    release();
    Messages().show(MsgKind::Error, WithCause(CaptureFailureText(capture.bits), captureCause), MsgButtons::Ok);
    return false;
  }
  FRecordChannel = record;

  rate_ = static_cast<DWORD>(capture.rate);
  const DWORD started = startWriter(writer);
  if (started == 0) {
    release();
    Messages().show(MsgKind::Error, WriterFailureWithCause(writer, capture.mixerPath), MsgButtons::Ok);
    return false;
  }
  (wma_ ? FWmaEncoder : FEncoder) = started;
  ChannelSetDSP(
      record, [this](HDSP, DWORD, void* buffer, DWORD length, void*) { WatchForSound(buffer, length); }, nullptr,
      kAfterEveryEffect);
  ChannelSetSync(record, SYNC_DEV_FAIL, 0,
                 [this](HSYNC, DWORD channel, DWORD, void*) {
                   if (onFailure_) onFailure_(RecordingFailure::DeviceGone, channel, QString());
                 },
                 nullptr);
  return true;
}

DWORD RecordingEngine::startWriter(const WriterRequest& writer) {
  if (writer.target.isEmpty()) return 0;
  const QByteArray target = writer.target.toUtf8();
  if (wma_) {
    // On the mixer path the writer gets the mixer's 16-bit samples.
    const DWORD sampleFlags = mixerPath_ ? 0 : SampleFlagsFor(bits_);
    const DWORD flags = sampleFlags | writer.wma.codecFlag | (writer.wma.vbr ? WMA_ENCODE_RATES_VBR : 0);
    const HWMENCODE h = WMA_EncodeOpenFile(rate_, static_cast<DWORD>(channels_), flags, writer.wma.value,
                                           target.constData());
    if (h == 0) {
      WMA_EncodeClose(0);
      return 0;
    }
    WMA_EncodeSetNotify(
        h,
        [this](DWORD handle, DWORD status, void*) {
          if (!onFailure_) return;
          const RecordingFailure f =
              status == ENCODE_NOTIFY_QUEUE_FULL ? RecordingFailure::EncoderBehind : RecordingFailure::WriteFailed;
          onFailure_(f, handle, QString::fromStdString(WMA_EncodeGetMessage(handle)));
        },
        nullptr);
    return h;
  }
  const DWORD host = mixerPath_ ? FMixer.load() : FRecordChannel.load();
  const HENCODE encoder = Encode_Start(host, target.constData(), EncoderFlagsFor(bits_, writer.wavFile), nullptr, nullptr);
  if (encoder != 0) watch(encoder);
  return encoder;
}

bool RecordingEngine::stopWriter(DWORD writer) { return completeWriter(PreviousWriter{writer, wma_}); }

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
  PreviousWriter previous;
  if (!switchToNextFile(writer, previous)) return false;
  previousWritten = completeWriter(previous);
  return true;
}

bool RecordingEngine::completeWriter(const PreviousWriter& previous) {
  return previous.wma ? WMA_EncodeClose(previous.handle) : Encode_Stop(previous.handle);
}

bool RecordingEngine::switchToNextFile(const WriterRequest& writer, PreviousWriter& previousWriter,
                                       bool awaitSound) {
  if (FRecordChannel == 0) return false;
  // WMA blocks are written by the capture callback, other writers sit on the
  // mixer or the capture.
  const DWORD host = (mixerPath_ && !wma_) ? FMixer.load() : FRecordChannel.load();
  // Under the lock no block is processed: the old writer gets everything up
  // to here, the new one everything after.
  ChannelLock(host, true);
  const DWORD next = startWriter(writer);
  auto& current = wma_ ? FWmaEncoder : FEncoder;
  const DWORD previous = current.load();
  if (next != 0) {
    current = next;
    if (!wma_) {
      Encode_SetPaused(previous, true);
      if (awaitSound) Encode_SetPaused(next, true);
    }
    FAwaitingSound = awaitSound;
    FInSilence = false;
    FSilentSeconds = 0;
  }
  ChannelLock(host, false);
  if (next == 0) {
    Messages().show(MsgKind::Error, WriterFailureWithCause(writer, mixerPath_), MsgButtons::Ok);
    return false;
  }
  previousWriter = PreviousWriter{previous, wma_};
  return true;
}

bool RecordingEngine::pause() { return FRecordChannel != 0 && ChannelPause(FRecordChannel); }
bool RecordingEngine::resume() { return play(); }
bool RecordingEngine::paused() const { return ChannelIsActive(FRecordChannel) == ACTIVE_PAUSED; }

bool RecordingEngine::stop(bool* nothingWritten) {
  if (nothingWritten) *nothingWritten = false;
  const HRECORD record = FRecordChannel.load();
  if (record == 0) return true;
  // Pausing hands over everything captured so far (through the mixer, too);
  // the writer then completes with all of it before the capture is freed.
  if (ChannelIsActive(record) == ACTIVE_PLAYING) ChannelPause(record);
  if (mixerPath_) {
    StreamPutData(FPushStream, nullptr, STREAMPROC_END);
    if (wma_)
      PullMixerIntoWma(record);
    else
      PullMixerDry();
  }
  // Nothing arrives any more: a writer still waiting for sound got nothing.
  if (nothingWritten) *nothingWritten = FAwaitingSound.load();
  const bool written = stopWriter(wma_ ? FWmaEncoder.load() : FEncoder.load());
  release();
  return written;
}

void RecordingEngine::release() {
  if (const HRECORD record = FRecordChannel.exchange(0)) ChannelStop(record);
  if (const HSTREAM mixer = FMixer.exchange(0)) StreamFree(mixer);
  if (const HSTREAM push = FPushStream.exchange(0)) StreamFree(push);
  FEncoder = 0;
  FWmaEncoder = 0;
  FInSilence = false;
  FSilentSeconds = 0;
  FAwaitingSound = false;
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
  FAwaitingSound = false;
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

bool RecordingEngine::RecordWmaDirect(HRECORD channel, const void* buffer, DWORD length) {
  WriteWmaBlock(channel, buffer, length);
  return true;
}

bool RecordingEngine::RecordWmaToMixer(HRECORD channel, const void* buffer, DWORD length) {
  StreamPutData(FPushStream, buffer, length);
  PullMixerIntoWma(channel);
  return true;
}

// Small pulls, each written as it comes; the last, empty pull is handed over
// too. A failed pull ends the loop and is never taken for a length.
void RecordingEngine::PullMixerIntoWma(DWORD channel) {
  const HSTREAM mixer = FMixer.load();
  while (ChannelIsActive(mixer) != ACTIVE_STOPPED) {
    const DWORD got = ChannelGetData(mixer, pullBlock_.data(), kWmaMixerPull);
    if (got == DATA_ERROR) break;
    WriteWmaBlock(channel, pullBlock_.data(), got);
    if (got == 0) break;
  }
}

// A WMA recording pauses by dropping blocks: written while there is sound,
// and during a silence until its length has passed.
void RecordingEngine::WriteWmaBlock(DWORD channel, const void* data, DWORD length) {
  if (FAwaitingSound) return;
  const DWORD writer = FWmaEncoder.load();
  if (!FDarOn) {
    WMA_EncodeWrite(writer, data, length);
    return;
  }
  if (ChannelLevelDb(ChannelGetLevel(channel)) > FDar.thresholdDb) {
    WMA_EncodeWrite(writer, data, length);
    FSilentSeconds = 0;
    FInSilence = false;
    return;
  }
  if (FDar.silentLength != 0 && FSilentSeconds < FDar.silentLength) WMA_EncodeWrite(writer, data, length);
  FInSilence = true;
}

// The encoder on the mixer takes the data as it is pulled.
void RecordingEngine::PullMixerDry() {
  const HSTREAM mixer = FMixer.load();
  while (ChannelIsActive(mixer) != ACTIVE_STOPPED) {
    const DWORD got = ChannelGetData(mixer, pullBlock_.data(), kMixerPull);
    if (got == 0 || got == DATA_ERROR) break;
  }
}

// The block's own left channel decides, so that the first loud block is the
// first one written.
void RecordingEngine::WatchForSound(const void* buffer, DWORD length) {
  if (!FAwaitingSound) return;
  const int frames = static_cast<int>(length / static_cast<DWORD>(captureFormat_.frameBytes()));
  const auto peak = std::min<std::uint32_t>(
      PeakOf(captureFormat_.type, buffer, static_cast<size_t>(frames), static_cast<int>(captureFormat_.channels), 0),
      32768);
  if (LevelToDb(static_cast<int>(peak), 32768) <= FDar.thresholdDb) return;
  FInSilence = false;
  FSilentSeconds = 0;
  // WMA blocks are written by the capture callback, which sees the wait end.
  if (!wma_) Encode_SetPaused(FEncoder, false);
  FAwaitingSound = false;
}

void RecordingEngine::CheckSilence(DWORD channel) {
  if (!FDarOn || FAwaitingSound) return;
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
