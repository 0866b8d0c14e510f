// Handles of channels and effects. Handle values are never reused while the
// library is loaded, so a stale handle fails with ERROR_HANDLE.
#pragma once

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
  std::shared_ptr<Channel> takeChannel(DWORD handle);  // removes it
  std::vector<std::shared_ptr<Channel>> takeAll();

  void addEffect(HFX fx, DWORD channel);
  DWORD effectOwner(HFX fx) const;  // 0 when unknown
  void forgetEffect(HFX fx);

 private:
  mutable std::mutex mutex_;
  DWORD next_ = 0x10000;
  std::map<DWORD, std::shared_ptr<Channel>> channels_;
  std::map<HFX, DWORD> effects_;
};

}  // namespace zaudio
