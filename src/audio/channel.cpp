#include "audio/channel.h"

#include <algorithm>
#include <utility>

#include "audio/encode/encoder.h"

namespace zaudio {

DWORD Channel::getData(void*, DWORD, int& error) {
  error = ERROR_NOTAVAIL;
  return DATA_ERROR;
}

DWORD Channel::getLevel(int& error) {
  switch (activity()) {
    case ACTIVE_PLAYING:
      error = OK;
      return level();
    case ACTIVE_PAUSED:
      error = OK;
      return 0;
    default:
      error = ERROR_NOPLAY;
      return 0xFFFFFFFF;
  }
}

bool Channel::lastFrames(float* mono, size_t n, int& error) {
  if (!recent_) {
    error = ERROR_NOTAVAIL;
    return false;
  }
  recent_->mono(recent_->end(), mono, n);
  error = OK;
  return true;
}

DWORD Channel::channelType() const { return isRecording() ? CTYPE_RECORD : CTYPE_STREAM; }

DWORD Channel::creationFlags() const {
  DWORD flags = format_.type == SampleType::F32 ? SAMPLE_FLOAT : format_.type == SampleType::U8 ? SAMPLE_8BITS : 0;
  if (isDecode()) flags |= STREAM_DECODE;
  return flags;
}

void Channel::lock() {
  processing_.lock();
  lockOwner_ = std::this_thread::get_id();
  ++lockDepth_;
}

bool Channel::unlock() {
  if (lockOwner_.load() != std::this_thread::get_id() || lockDepth_ == 0) return false;
  if (--lockDepth_ == 0) lockOwner_ = std::thread::id();
  processing_.unlock();
  return true;
}

void Channel::addEffect(HFX fx, int priority, std::unique_ptr<Effect> effect) {
  std::lock_guard lock(processing_);
  chain_.addEffect(fx, priority, std::move(effect));
}

void Channel::addDsp(HDSP dsp, int priority, DSPPROC proc, void* user) {
  std::lock_guard lock(processing_);
  chain_.addDsp(dsp, priority, std::move(proc), user);
}

bool Channel::removeFromChain(DWORD handle) {
  std::lock_guard lock(processing_);
  return chain_.remove(handle);
}

bool Channel::getEffectParameters(HFX fx, void* params) {
  std::lock_guard lock(processing_);
  Effect* e = chain_.effect(fx);
  if (!e) return false;
  e->getParameters(params);
  return true;
}

bool Channel::setEffectParameters(HFX fx, const void* params) {
  std::lock_guard lock(processing_);
  Effect* e = chain_.effect(fx);
  return e && e->setParameters(params);
}

void Channel::attachEncoder(HENCODE handle, std::shared_ptr<Encoder> encoder) {
  std::lock_guard lock(processing_);
  encoders_.emplace_back(handle, std::move(encoder));
}

std::shared_ptr<Encoder> Channel::encoder(HENCODE handle) {
  std::lock_guard lock(processing_);
  for (auto& [h, e] : encoders_)
    if (h == handle) return e;
  return nullptr;
}

std::shared_ptr<Encoder> Channel::detachEncoder(HENCODE handle) {
  std::lock_guard lock(processing_);
  auto it = std::find_if(encoders_.begin(), encoders_.end(), [&](const auto& p) { return p.first == handle; });
  if (it == encoders_.end()) return nullptr;
  auto e = std::move(it->second);
  encoders_.erase(it);
  return e;
}

std::vector<std::pair<HENCODE, std::shared_ptr<Encoder>>> Channel::detachEncoders() {
  std::lock_guard lock(processing_);
  return std::exchange(encoders_, {});
}

void Channel::addSync(HSYNC handle, DWORD type, SYNCPROC proc, void* user) {
  std::lock_guard lock(syncMutex_);
  syncs_[handle] = Sync{type, std::move(proc), user};
}

bool Channel::removeSync(HSYNC handle) {
  std::lock_guard lock(syncMutex_);
  return syncs_.erase(handle) > 0;
}

void Channel::fireSync(DWORD type, DWORD data) {
  std::vector<std::pair<HSYNC, Sync>> due;
  {
    std::lock_guard lock(syncMutex_);
    for (const auto& [h, s] : syncs_)
      if (s.type == type) due.emplace_back(h, s);
  }
  for (auto& [h, s] : due) s.proc(h, handle_, data, s.user);
}

void Channel::noteBlockTime(std::uint64_t micros) {
  if (micros > longestBlock_.load(std::memory_order_relaxed)) longestBlock_.store(micros, std::memory_order_relaxed);
}

void Channel::processBlock(void* data, size_t frames) {
  chain_.run(handle_, format_, data, frames);
  meter_.feed(format_.type, data, frames, static_cast<int>(format_.channels));
  if (recent_) recent_->append(format_.type, data, frames, static_cast<int>(format_.channels));
  const size_t bytes = frames * static_cast<size_t>(format_.frameBytes());
  for (auto& [h, e] : encoders_) e->feed(data, bytes);
}

}  // namespace zaudio
