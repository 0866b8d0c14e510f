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
  forgetChildrenOf(handle);
  return ch;
}

std::vector<std::shared_ptr<Channel>> HandleTable::takeAll() {
  return takeIf([](const Channel&) { return true; });
}

std::vector<std::shared_ptr<Channel>> HandleTable::takeIf(
    const std::function<bool(const Channel&)>& which) {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<Channel>> taken;
  for (auto it = channels_.begin(); it != channels_.end();) {
    if (which(*it->second)) {
      forgetChildrenOf(it->first);
      taken.push_back(std::move(it->second));
      it = channels_.erase(it);
    } else {
      ++it;
    }
  }
  return taken;
}

void HandleTable::addChild(DWORD child, DWORD owner) {
  std::lock_guard lock(mutex_);
  children_[child] = owner;
}

DWORD HandleTable::ownerOf(DWORD child) const {
  std::lock_guard lock(mutex_);
  auto it = children_.find(child);
  return it == children_.end() ? 0 : it->second;
}

void HandleTable::forgetChild(DWORD child) {
  std::lock_guard lock(mutex_);
  children_.erase(child);
}

std::shared_ptr<Channel> HandleTable::ownerChannel(DWORD child) const {
  std::lock_guard lock(mutex_);
  auto c = children_.find(child);
  if (c == children_.end()) return nullptr;
  auto it = channels_.find(c->second);
  return it == channels_.end() ? nullptr : it->second;
}

void HandleTable::forgetChildrenOf(DWORD owner) {
  for (auto it = children_.begin(); it != children_.end();)
    it = it->second == owner ? children_.erase(it) : std::next(it);
}

}  // namespace zaudio
