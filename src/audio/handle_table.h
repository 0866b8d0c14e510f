// Handles of channels and of what belongs to a channel (effects, DSP
// functions, syncs, encoders). Handle values are never reused while the
// library is loaded, so a stale handle fails with ERROR_HANDLE.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/channel.h"

namespace zaudio {

class HandleTable {
 public:
  DWORD newHandle();
  void addChannel(std::shared_ptr<Channel> channel);
  std::shared_ptr<Channel> channel(DWORD handle) const;
  // Removes a channel together with the handles that belong to it.
  std::shared_ptr<Channel> takeChannel(DWORD handle);
  std::vector<std::shared_ptr<Channel>> takeAll();
  std::vector<std::shared_ptr<Channel>> takeIf(const std::function<bool(const Channel&)>& which);

  // A handle that belongs to a channel.
  void addChild(DWORD child, DWORD owner);
  DWORD ownerOf(DWORD child) const;  // 0 when unknown
  void forgetChild(DWORD child);
  // The channel a child handle belongs to, or nullptr.
  std::shared_ptr<Channel> ownerChannel(DWORD child) const;

 private:
  void forgetChildrenOf(DWORD owner);  // caller holds mutex_

  mutable std::mutex mutex_;
  DWORD next_ = 0x10000;
  std::map<DWORD, std::shared_ptr<Channel>> channels_;
  std::map<DWORD, DWORD> children_;  // child handle -> owning channel
};

}  // namespace zaudio
