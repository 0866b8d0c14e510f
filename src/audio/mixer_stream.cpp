#include "audio/mixer_stream.h"

#include <algorithm>
#include <cstring>

#include "audio/sample_convert.h"

namespace zaudio {

MixerStream::MixerStream(DWORD handle, CaptureFormat format, bool endWithoutSources)
    : DecodeChannel(handle, format), endWithoutSources_(endWithoutSources) {}

bool MixerStream::addSource(std::shared_ptr<Channel> source) {
  if (!source || !source->isDecode() || source.get() == this) return false;
  auto resampler = std::make_unique<Resampler>(source->format(), format());
  if (!resampler->valid()) return false;
  std::lock_guard lock(sourcesMutex_);
  sources_.push_back(Source{std::move(source), std::move(resampler), {}, false});
  return true;
}

bool MixerStream::ended() const {
  std::lock_guard lock(sourcesMutex_);
  return endWithoutSources_ && sources_.empty();
}

size_t MixerStream::readyFrames(const Source& s) const {
  return s.ready.size() / static_cast<size_t>(format().frameBytes());
}

// Pulls the source until it has `frames` converted frames ready, it has
// nothing more for now, or it has ended.
void MixerStream::fill(Source& s, size_t frames) {
  const CaptureFormat& in = s.channel->format();
  const size_t inFrameBytes = static_cast<size_t>(in.frameBytes());
  while (!s.finished && readyFrames(s) < frames) {
    if (s.channel->freed()) {
      s.resampler->flush(s.ready);
      s.finished = true;
      break;
    }
    // Enough input for the missing output, plus the filter's appetite.
    const size_t missing = frames - readyFrames(s);
    const size_t want = missing * in.rate / format().rate + 64;
    pull_.resize(want * inFrameBytes);
    int error = OK;
    const DWORD got = s.channel->getData(pull_.data(), static_cast<DWORD>(pull_.size()), error);
    if (got == DATA_ERROR) {
      // Ended (or unusable): what the resampler holds back is the last of it.
      s.resampler->flush(s.ready);
      s.finished = true;
    } else if (got == 0) {
      break;
    } else {
      s.resampler->convert(pull_.data(), got / inFrameBytes, s.ready);
    }
  }
}

size_t MixerStream::produce(void* out, size_t maxFrames) {
  std::lock_guard lock(sourcesMutex_);
  if (maxFrames == 0 || sources_.empty()) return 0;
  for (auto& s : sources_) fill(s, maxFrames);
  // Only what every source still playing has supplied; finished sources add
  // what they have left.
  size_t frames = maxFrames;
  bool anyPlaying = false;
  size_t mostLeft = 0;
  for (const auto& s : sources_) {
    if (!s.finished) {
      anyPlaying = true;
      frames = std::min(frames, readyFrames(s));
    }
    mostLeft = std::max(mostLeft, readyFrames(s));
  }
  if (!anyPlaying) frames = std::min(frames, mostLeft);
  if (frames > 0) mix(out, frames);
  std::erase_if(sources_, [](const Source& s) { return s.finished && s.ready.empty(); });
  return frames;
}

void MixerStream::mix(void* out, size_t frames) {
  const size_t frameBytes = static_cast<size_t>(format().frameBytes());
  const size_t bytes = frames * frameBytes;
  const size_t samples = frames * format().channels;
  std::vector<Source*> contributing;
  for (auto& s : sources_)
    if (!s.ready.empty()) contributing.push_back(&s);
  if (contributing.size() == 1) {
    Source& s = *contributing.front();
    const size_t n = std::min(bytes, s.ready.size());
    std::memcpy(out, s.ready.data(), n);
    std::memset(static_cast<std::uint8_t*>(out) + n, format().type == SampleType::U8 ? 0x80 : 0, bytes - n);
    s.ready.erase(s.ready.begin(), s.ready.begin() + static_cast<std::ptrdiff_t>(n));
    return;
  }
  sum_.assign(samples, 0.0f);
  std::vector<float> one(samples);
  for (Source* s : contributing) {
    const size_t n = std::min(bytes, s->ready.size());
    ToFloat(format().type, s->ready.data(), one.data(), n / BytesPerSample(format().type));
    for (size_t i = 0; i < n / BytesPerSample(format().type); ++i) sum_[i] += one[i];
    s->ready.erase(s->ready.begin(), s->ready.begin() + static_cast<std::ptrdiff_t>(n));
  }
  FromFloat(format().type, sum_.data(), out, samples);
}

}  // namespace zaudio
