#include "audio/handle_table.h"

namespace zaudio {

DWORD HandleTable::newHandle() {
  std::lock_guard lock(mutex_);
  return next_++;
}

void HandleTable::addChannel(std::shared_ptr<Channel> channel) {
  std::lock_guard lock(mutex_);
  channels_[channel->handle()] = std::move(channel);
}

std::shared_ptr<Channel> HandleTable::channel(DWORD handle) const {
  std::lock_guard lock(mutex_);
  auto it = channels_.find(handle);
  return it == channels_.end() ? nullptr : it->second;
}

std::shared_ptr<Channel> HandleTable::takeChannel(DWORD handle) {
  std::lock_guard lock(mutex_);
  auto it = channels_.find(handle);
  if (it == channels_.end()) return nullptr;
  auto ch = std::move(it->second);
  channels_.erase(it);
  for (auto e = effects_.begin(); e != effects_.end();)
    e = e->second == handle ? effects_.erase(e) : std::next(e);
  return ch;
}

std::vector<std::shared_ptr<Channel>> HandleTable::takeAll() {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<Channel>> all;
  for (auto& [h, ch] : channels_) all.push_back(std::move(ch));
  channels_.clear();
  effects_.clear();
  return all;
}

void HandleTable::addEffect(HFX fx, DWORD channel) {
  std::lock_guard lock(mutex_);
  effects_[fx] = channel;
}

DWORD HandleTable::effectOwner(HFX fx) const {
  std::lock_guard lock(mutex_);
  auto it = effects_.find(fx);
  return it == effects_.end() ? 0 : it->second;
}

void HandleTable::forgetEffect(HFX fx) {
  std::lock_guard lock(mutex_);
  effects_.erase(fx);
}

}  // namespace zaudio
