// The recording's processing chain: the filters (our own DSP functions) and
// the compressor and gain control (library effects), attached while the
// capture is still paused so that no block passes unprocessed.
#include <QCheckBox>
#include <QSlider>

#include "app/background_work.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "dsp/recording_filters.h"
#include "recording/effect_records.h"
#include "recording/recording_engine.h"
#include "services/message_service.h"

namespace {

zdsp::BufferFormat BufferFormatOf(const zaudio::CaptureFormat& f) {
  const zdsp::SampleKind kind = f.type == zaudio::SampleType::U8    ? zdsp::SampleKind::U8
                                : f.type == zaudio::SampleType::S16 ? zdsp::SampleKind::S16
                                                                    : zdsp::SampleKind::F32;
  return zdsp::BufferFormat{static_cast<int>(f.rate), static_cast<int>(f.channels), kind};
}

}  // namespace

bool Tfrmmain::AttachFilters() {
  if (FRecordChannel == 0 || !frmoption_) return true;
  const Tfrmoption& o = *frmoption_;
  const bool notch = o.cnotchpass->isChecked(), low = o.clowpass->isChecked(), high = o.chighpass->isChecked(),
             band = o.cbandpass->isChecked();
  if (notch) FNotchFrequency = zdsp::NotchFrequencyFor(FSampleRate, o.barnotchpass->value());
  if (low) FLowCut = o.barfilterlow->value();
  if (high) FHighCut = o.barfilterhigh->value();
  if (band) {
    FLowCut = o.barfilterlow->value();
    FHighCut = o.barfilterhigh->value();
  }
  if (!notch && !low && !high && !band) return true;

  FFilters = std::make_unique<zdsp::RecordingFilters>(
      zdsp::FilterSettings{FLowCut, FHighCut, FNotchFrequency, FSampleRate},
      BufferFormatOf(FEngine->captureFormat()));
  void* user = FFilters.get();
  const std::pair<bool, zaudio::DSPPROC> order[] = {
      {notch, zdsp::NotchPassDsp}, {low, zdsp::LowPassDsp}, {high, zdsp::HighPassDsp}, {band, zdsp::BandPassDsp}};
  for (const auto& [on, proc] : order)
    if (on && zaudio::ChannelSetDSP(FRecordChannel, proc, user, 0) == 0) return false;
  return true;
}

bool Tfrmmain::AttachCompressor() {
  if (FRecordChannel == 0 || !frmoption_ || !frmoption_->ccompressor->isChecked()) return true;
  const Tfrmoption& o = *frmoption_;
  FEffect = zaudio::ChannelSetFX(FRecordChannel, zaudio::FX_DX8_COMPRESSOR, 1);
  if (FEffect == 0 || !zaudio::FXGetParameters(FEffect, &FCompressorParams)) return false;
  FillCompressorRecord(CompressorPositions{o.barcomgain->value(), o.barcomattack->value(), o.barcomrelease->value(),
                                           o.barcomthreshold->value(), o.barcomratio->value(),
                                           o.barcompredelay->value()},
                       FCompressorParams);
  return zaudio::FXSetParameters(FEffect, &FCompressorParams);
}

bool Tfrmmain::AttachAgc() {
  if (FRecordChannel == 0 || !frmoption_ || !frmoption_->cagc->isChecked()) return true;
  const Tfrmoption& o = *frmoption_;
  FEffect = zaudio::ChannelSetFX(FRecordChannel, zaudio::FX_BFX_DAMP, 1);
  if (FEffect == 0 || !zaudio::FXGetParameters(FEffect, &FAgcParams)) return false;
  FillAgcRecord(AgcPositions{o.baragctarget->value(), o.baragcquiet->value(), o.baragcrate->value(),
                             o.baragcgain->value(), o.baragcdelay->value()},
                FAgcParams);
  return zaudio::FXSetParameters(FEffect, &FAgcParams);
}

// A chain that cannot be built ends the program, but the recording just
// started is completed first: it is a valid (empty) file, and the list and
// settings are saved by the normal close.
void Tfrmmain::ChainFailed() {
  const bool written = RunResponsively([this] { return FEngine->stop(); });
  FRecordChannel = 0;
  FFilters.reset();
  FinishedFile(FLastRecordedFile, written);
  SetControlState(ControlState::IdleAfterStop);
  Messages().show(MsgKind::Error, QStringLiteral("Cannot set dsp!"), MsgButtons::Ok);
  CloseWithoutAsking();
}
